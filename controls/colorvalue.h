#pragma once

#include <cstdint>

// Colours are kept as the 32-bit values the settings store: 0x00BBGGRR for
// RGB colours, or a system colour (high byte 0xFF, low byte the system index).
using TColor = std::int32_t;

constexpr TColor rgbColor(int red, int green, int blue)
{
    return TColor((blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF));
}

constexpr TColor clBlack = rgbColor(0, 0, 0);
constexpr TColor clMaroon = rgbColor(128, 0, 0);
constexpr TColor clGreen = rgbColor(0, 128, 0);
constexpr TColor clOlive = rgbColor(128, 128, 0);
constexpr TColor clNavy = rgbColor(0, 0, 128);
constexpr TColor clPurple = rgbColor(128, 0, 128);
constexpr TColor clTeal = rgbColor(0, 128, 128);
constexpr TColor clGray = rgbColor(128, 128, 128);
constexpr TColor clSilver = rgbColor(192, 192, 192);
constexpr TColor clRed = rgbColor(255, 0, 0);
constexpr TColor clLime = rgbColor(0, 255, 0);
constexpr TColor clYellow = rgbColor(255, 255, 0);
constexpr TColor clBlue = rgbColor(0, 0, 255);
constexpr TColor clFuchsia = rgbColor(255, 0, 255);
constexpr TColor clAqua = rgbColor(0, 255, 255);
constexpr TColor clWhite = rgbColor(255, 255, 255);
constexpr TColor clSkyBlue = rgbColor(166, 202, 240);
constexpr TColor clMoneyGreen = rgbColor(192, 220, 192);
constexpr TColor clCream = rgbColor(255, 251, 240);
constexpr TColor clMedGray = rgbColor(160, 160, 164);

constexpr TColor systemColor(int index) { return TColor(0xFF000000u | unsigned(index)); }
constexpr TColor clBtnFace = systemColor(15);
constexpr TColor clWindow = systemColor(5);
constexpr TColor clWindowText = systemColor(8);
constexpr TColor clBtnText = systemColor(18);
constexpr TColor clHighlight = systemColor(13);
constexpr TColor clHighlightText = systemColor(14);
constexpr TColor clBtnShadow = systemColor(16);
constexpr TColor clGrayText = systemColor(17);
constexpr TColor clInfoBk = systemColor(24);

constexpr bool isSystemColor(TColor c) { return (std::uint32_t(c) & 0xFF000000u) == 0xFF000000u; }
