#pragma once

// The side of a comparison: M the source, S the target.
enum class TSide { M, S };

// The direction of a copy between the sides.
enum class TCopyDirection { ToS, ToM };
