// The library's string resources, fetched by id from our own table
// (resources/strings.inc). A missing id gives the empty text.
#pragma once

#include <string>

namespace zarvento {

std::string LoadResString(int id);

}  // namespace zarvento
