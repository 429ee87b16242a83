// SPDX-License-Identifier: MIT
// The resources live in an object library that Qt attaches to this target;
// this file only gives the static library a translation unit of its own.
namespace laser_assets {
int anchor()
{
    return 0;
}
} // namespace laser_assets
