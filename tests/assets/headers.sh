#!/usr/bin/env bash
# What file(1) reads in the pictures' headers. The six files beside the
# program and the built-in JPEGs are baseline JFIF, 8 bits and 3 components,
# which every decoder reads, progressive or arithmetic coding not; the icons
# hold 16 colours at 32 and 16 pixels, as old Windows needs them.
#
# usage: headers.sh PROGRAM_DIR BUILTIN_DIR
set -euo pipefail
program_dir=$(cd "$1" && pwd) builtin_dir=$(cd "$2" && pwd)
diff -u - <(cd "$program_dir" && file -rN kopf.jpg logo.jpg P_normal.jpg P_smile.jpg P_böse.jpg p_roben.jpg
            cd "$builtin_dir" && file -rN professor.jpg professor_grin.jpg {bulb,check,question,smiley}.ico printer.gif) <<'END'
kopf.jpg: JPEG image data, JFIF standard 1.01, aspect ratio, density 1x1, segment length 16, baseline, precision 8, 510x184, components 3
logo.jpg: JPEG image data, JFIF standard 1.01, aspect ratio, density 1x1, segment length 16, baseline, precision 8, 510x136, components 3
P_normal.jpg: JPEG image data, JFIF standard 1.01, aspect ratio, density 1x1, segment length 16, baseline, precision 8, 250x350, components 3
P_smile.jpg: JPEG image data, JFIF standard 1.01, aspect ratio, density 1x1, segment length 16, baseline, precision 8, 250x350, components 3
P_böse.jpg: JPEG image data, JFIF standard 1.01, aspect ratio, density 1x1, segment length 16, baseline, precision 8, 250x350, components 3
p_roben.jpg: JPEG image data, JFIF standard 1.01, aspect ratio, density 1x1, segment length 16, baseline, precision 8, 250x350, components 3
professor.jpg: JPEG image data, JFIF standard 1.01, aspect ratio, density 1x1, segment length 16, baseline, precision 8, 250x350, components 3
professor_grin.jpg: JPEG image data, JFIF standard 1.01, aspect ratio, density 1x1, segment length 16, baseline, precision 8, 250x350, components 3
bulb.ico: MS Windows icon resource - 2 icons, 32x32, 16 colors, 4 bits/pixel, 16x16, 16 colors, 4 bits/pixel
check.ico: MS Windows icon resource - 2 icons, 32x32, 16 colors, 4 bits/pixel, 16x16, 16 colors, 4 bits/pixel
question.ico: MS Windows icon resource - 2 icons, 32x32, 16 colors, 4 bits/pixel, 16x16, 16 colors, 4 bits/pixel
smiley.ico: MS Windows icon resource - 2 icons, 32x32, 16 colors, 4 bits/pixel, 16x16, 16 colors, 4 bits/pixel
printer.gif: GIF image data, version 89a, 32 x 33
END
