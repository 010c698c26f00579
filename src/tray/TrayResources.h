// Resource numbers of the tray program (read by the resource compiler too,
// so only #define lines here).
#pragma once

#define IDI_QUORVEL 1
#define IDI_TRAY_IDLE 101
#define IDI_TRAY_ERROR1 102
#define IDI_TRAY_ERROR2 103
#define IDI_TRAY_WORK1 104
#define IDI_TRAY_WORK2 105
#define IDI_GLYPH_PROTOCOL 111
#define IDI_GLYPH_RUN_NOW 112
#define IDI_GLYPH_SHRINK 113
