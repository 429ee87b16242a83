// SPDX-License-Identifier: MIT
// Compiles the tests' precompiled Qt headers; it is never run.
int main()
{
    return 0;
}
