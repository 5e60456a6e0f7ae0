// The bodies the hostile sites serve (hostile_site.h): GBK-free ASCII HTML
// with the list-area and picture-area markers the program reads, and large
// one-colour PNGs written a row at a time. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pixaroo::demo {

// A list page linking `links` (site-relative addresses), padded with
// further links to `padTo` bytes when that is larger.
std::string HostileListPage(const std::vector<std::string>& links, std::size_t padTo = 0);
// An item page whose picture area holds `sources`, padded with further
// sources to `padTo` bytes when that is larger.
std::string HostileItemPage(const std::vector<std::string>& sources, std::size_t padTo = 0);
// A width x height PNG of one colour, written a row at a time (about
// 200 KB for 8192 x 8192); empty when libpng fails.
std::string OneColourPng(std::uint32_t width, std::uint32_t height, std::uint8_t r,
                         std::uint8_t g, std::uint8_t b);

}  // namespace pixaroo::demo
