// SPDX-License-Identifier: MIT
#pragma once

// Elementary functions built from IEEE-754 additions, multiplications,
// divisions and square roots only, so every processor computes the same bits.
// The C library picks a different implementation per processor (with or
// without fused multiply-add, for one) whose results differ in the last place,
// and now and then that moves a sample or a pixel of an asset by one level.
// Accurate to a few units in the last place over the ranges the generator
// uses; arguments of sin, cos and tan beyond about a million lose accuracy,
// but never determinism.
namespace portable {

double exp(double x);
double log(double x);
double pow(double base, double exponent);
double sin(double x);
double cos(double x);
double tan(double x);
double atan2(double y, double x);
double asin(double x);
double acos(double x);
double tanh(double x);
double hypot(double x, double y);

} // namespace portable
