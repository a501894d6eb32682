#pragma once

#include <QColor>

// The pair view's colours: tints for whole rows, stronger ones for the
// characters that differ and the marker bar.
namespace PairViewColors {
inline const QColor ChangedRow(0xff, 0xf4, 0xc8);
inline const QColor ChangedChars(0xf5, 0xc0, 0x50);
inline const QColor RemovedRow(0xfd, 0xdd, 0xdd);
inline const QColor AddedRow(0xdd, 0xf4, 0xdd);
inline const QColor EmptyRow(0xe8, 0xe8, 0xe8);
inline const QColor Gutter(0xf2, 0xf2, 0xf2);
inline const QColor GutterText(0x80, 0x80, 0x80);
inline const QColor Blank(0xa0, 0xa0, 0xa0);
inline const QColor CurrentFrame(0x30, 0x60, 0xc0);
inline const QColor ChangedMark(0xe0, 0xa0, 0x20);
inline const QColor RemovedMark(0xd0, 0x40, 0x40);
inline const QColor AddedMark(0x40, 0xa0, 0x40);
inline const QColor DifferentByte(0xf5, 0xc0, 0x50);
}  // namespace PairViewColors
