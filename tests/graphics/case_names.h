#pragma once
// Names parameterised tests after their case's `what` text, as GoogleTest allows them
// (letters, digits and underscores): INSTANTIATE_TEST_SUITE_P(..., CaseName{}).

#include <cctype>
#include <string>

namespace plugfw::gfx::test {

struct CaseName {
  template <typename Info>
  std::string operator()(const Info& info) const {
    std::string name = info.param.what;
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
  }
};

}  // namespace plugfw::gfx::test
