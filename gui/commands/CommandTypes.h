#pragma once

// Which rows an export writes.
enum class ExportKind { All = 1, EqualOnly = 2, DifferentOnly = 3 };

// The side of a comparison: M the source, S the target.
enum class TSide { M, S };

// The direction of a copy between the sides.
enum class TCopyDirection { ToS, ToM };

// What FindRow looks for.
enum class TFindWanted { Equal, Different };
