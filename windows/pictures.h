#pragma once
// Placeholder: picture loading is being written.
