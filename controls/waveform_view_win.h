#pragma once
#include <windows.h>

#include <cstdint>

// VXWaveformView: a series of samples drawn as a line, an optional filled
// overlay, a play-position line and up to eight draggable markers, grabbed by
// their label or anywhere along their line. Outside markers 0 and 1 (when both
// are placed) the series is dimmed.

constexpr wchar_t kWaveformViewClass[] = L"VXWaveformView";

constexpr UINT WV_SETPRIMARY = WM_USER + 1;      // wParam: floats, lParam: count
constexpr UINT WV_SETPLAYPOSITION = WM_USER + 2; // wParam: sample index, -1 for none
constexpr UINT WV_SETOVERLAY = WM_USER + 3;      // wParam: floats, lParam: count
constexpr UINT WV_SHOWOVERLAY = WM_USER + 4;     // wParam: nonzero = visible
constexpr UINT WV_ADDMARKER = WM_USER + 5;       // wParam: label; returns the index or 0xFFFF
constexpr UINT WV_REMOVEMARKER = WM_USER + 6;    // wParam: index
constexpr UINT WV_CLEARMARKERS = WM_USER + 7;
constexpr UINT WV_SETMARKERMIN = WM_USER + 8;    // wParam: index, lParam: minimum
constexpr UINT WV_SETMARKERMAX = WM_USER + 9;    // wParam: index, lParam: maximum
constexpr UINT WV_SETMARKERPOS = WM_USER + 10;   // wParam: index, lParam: position
constexpr UINT WV_GETMARKERPOS = WM_USER + 11;   // wParam: index

// The zoom. The wheel zooms around the pointer, Shift+wheel, the horizontal
// wheel, a middle-button drag and the scroll bar under the plot (shown only
// while zoomed in) move along the series, a double-click shows it whole. A
// series of another length is shown whole; one of the same length (the same
// sound with new values) keeps the zoom.
constexpr UINT WV_SETVISIBLE = WM_USER + 12;  // wParam: first sample, lParam: sample count (0: the whole series);
                                              // kept within the series and to at most 8 pixels a sample (at 96 DPI)
constexpr UINT WV_GETVISIBLE = WM_USER + 13;  // wParam: VisibleSamples*, filled to the nearest whole samples
constexpr UINT WV_ZOOM = WM_USER + 14;        // wParam: signed steps, WHEEL_DELTA (120) halves the visible count;
                                              // lParam: the sample kept in place when shown, else brought to the
                                              // middle (-1: the middle stays)
struct VisibleSamples {
    uint32_t first;
    uint32_t count;
};

// Ends a run of moves by key as letting go of the key would: the parent is
// told. For a command that comes while the key is still held (a menu's loop
// takes the key's release to itself).
constexpr UINT WV_ENDKEYRUN = WM_USER + 15;

// Sent to the parent while a marker is dragged and when it is let go; moves
// by key come the same way, a run of them (while the keys are held) told as
// one drag.
constexpr UINT WN_MARKERMOVED = WM_USER + 11;
struct MarkerNotification {
    uint32_t position;
    uint16_t marker;
    uint8_t dragging;
    uint8_t byKey;  // moved by the keyboard, to the exact sample
};

bool registerWaveformViewClass(HINSTANCE instance);
