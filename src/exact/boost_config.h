// Boost.Math settings of the exact layer, included before any Boost header:
// doubles are computed as doubles, not promoted to long double, so that every
// compiler and platform (x87's 80 bits, MinGW, WebAssembly's 128-bit software
// long double) takes the same steps.
#ifndef QUORBEL_EXACT_BOOST_CONFIG_H
#define QUORBEL_EXACT_BOOST_CONFIG_H

#define BOOST_MATH_PROMOTE_DOUBLE_POLICY false

#endif
