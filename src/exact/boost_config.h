// Boost.Math settings of the exact layer, included before any Boost header:
// doubles are computed as doubles, not promoted to long double, so that every
// compiler and platform (x87's 80 bits, MinGW, WebAssembly's 128-bit software
// long double) takes the same steps.
#ifndef QUORBEL_EXACT_BOOST_CONFIG_H
#define QUORBEL_EXACT_BOOST_CONFIG_H

#define BOOST_MATH_PROMOTE_DOUBLE_POLICY false

// MinGW's i686 compiler lacks native thread_local, which Boost reports as a
// "pre-C++11 mode" caution on every file; nothing here uses thread_local.
#define BOOST_MATH_DISABLE_DEPRECATED_03_WARNING

#endif
