#pragma once
// Placeholder: the options window is being written.
