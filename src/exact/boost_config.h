// Boost.Math settings of the exact layer, included before any Boost header,
// so that every compiler and platform takes the same steps and gives the
// same doubles:
//  - doubles are computed as doubles, not promoted to long double (x87's 80
//    bits, MinGW, WebAssembly's 128-bit software long double);
//  - log1p and expm1 come from the C library (musl's, in every build),
//    whatever the platform's configuration would choose: Boost has series of
//    its own, which it takes where it does not know the C library's;
//  - Lanczos sums by the portable code on every target: on SSE2 Boost takes
//    an SSE2 version of its own, which sums in another order and differs in
//    the last bit (WebAssembly has no SSE2). Boost skips it for _MANAGED,
//    which lanczos.hpp alone is let see: its dependencies are included
//    first, without it.
#ifndef QUORBEL_EXACT_BOOST_CONFIG_H
#define QUORBEL_EXACT_BOOST_CONFIG_H

#define BOOST_MATH_PROMOTE_DOUBLE_POLICY false

#ifndef BOOST_HAS_LOG1P
#define BOOST_HAS_LOG1P
#endif
#ifndef BOOST_HAS_EXPM1
#define BOOST_HAS_EXPM1
#endif

// Boost's factorials of doubles read its long double table, which with
// C++14 constexpr is a local constexpr array that GCC copies onto the stack
// at every call (2.7 KB): the larger part of an incomplete beta's time. As
// a static table (Boost's form without C++14 constexpr) it is read in place;
// the values are the same.
#ifndef BOOST_NO_CXX14_CONSTEXPR
#define BOOST_NO_CXX14_CONSTEXPR
#endif

// MinGW's i686 compiler lacks native thread_local, which Boost reports as a
// "pre-C++11 mode" caution on every file; nothing here uses thread_local.
#define BOOST_MATH_DISABLE_DEPRECATED_03_WARNING

#include <limits.h>

#include <boost/config.hpp>
#include <boost/cstdint.hpp>
#include <boost/limits.hpp>
#include <boost/math/policies/policy.hpp>
#include <boost/math/tools/big_constant.hpp>
#include <boost/math/tools/rational.hpp>
#include <boost/mpl/if.hpp>
#include <boost/mpl/less_equal.hpp>
#ifndef _MANAGED
#define _MANAGED 1
#include <boost/math/special_functions/lanczos.hpp>
#undef _MANAGED
#endif

#endif
