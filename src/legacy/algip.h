// Lagrange interpolation (was algip) and the three-point table window.
#pragma once

namespace quaven {

// Value at x of the polynomial of degree n-1 through (xs[i], ys[i]),
// i = 0..n-1, by Lagrange's formula (A&S 25.2.2). Nothing is changed; n < 1
// gives 0. Each basis product and the running sum are rounded to float at
// every step, in ascending order, so the result is reproducible to the bit.
float algip(const float& x, const float* xs, const float* ys, const int& n);

// The three-point window by which a table over an S grid is read: the grid
// point at or below S and the two above it, with the first entry clamped to
// at most `largest_first`. Entry q (1-based) lies at S = (q - 1) * step.
// The universal curves use step 0.04, offset 1, largest first 17; the gain
// table uses step 0.02, offset 1.1, largest first 39.
struct Window {
  int first = 1;      // 1-based index of the window's first table entry
  float xs[3] = {};   // abscissas of the three entries
  bool valid = true;  // false for a non-finite S: no entry is selected
};

// ns = S/step + offset, truncated toward zero; at most `largest_first`.
// xs[i] = float(ns + i - 1) * step for i = 0, 1, 2. An ns below 1 (S below
// the grid) clamps to 1, so the first three entries are extrapolated just as
// the last three are above the grid. A non-finite S gives an invalid window.
Window table_window(float s, float step, float offset, int largest_first);

// Interpolates the table `column` (a C array; its 1-based entry q is
// column[q - 1]) through the window at S with algip. Gives NaN for an
// invalid window without reading the table.
float window_value(const Window& w, float s, const float* column);

}  // namespace quaven
