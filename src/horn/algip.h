// Lagrange interpolation (was algip) and the three-point table window.
#pragma once

namespace quaven {

// Value at x of the polynomial of degree n-1 through (xs[i], ys[i]),
// i = 0..n-1, by Lagrange's formula (A&S 25.2.2). Nothing is changed; n < 1
// gives 0.
float algip(const float& x, const float* xs, const float* ys, const int& n);

// The three-point window by which a table over an S grid is read: the grid
// point at or below S and the two above it, with the first entry clamped to
// at most `largest_first`. Entry q (1-based) lies at S = (q - 1) * step.
struct Window {
  int first = 1;      // 1-based index of the window's first table entry
  float xs[3] = {};   // abscissas of the three entries
  bool valid = true;  // false for a non-finite S: no entry is selected
};

// ns = S/step + offset, truncated; at most `largest_first`; a negative ns
// (S below the grid) clamps to 1 so the first three entries are
// extrapolated, as the last three are above the grid.
Window table_window(float s, float step, float offset, int largest_first);

// Interpolates the 1-based table `column` through the window at S.
// Gives NaN for an invalid window without reading the table.
float window_value(const Window& w, float s, const float* column);

}  // namespace quaven
