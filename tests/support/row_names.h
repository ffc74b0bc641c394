// Names for the rows of a parameterised test, taken from a label each row carries, so that a
// failing row is reported by what it is: "no key" becomes .../NoKey.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

// A label as a test name: its letters and digits, each word begun with a capital. A label
// with neither is named by the row's position.
inline std::string rowName(const std::string& label, std::size_t index) {
  std::string name;
  bool wordStart = true;
  for (unsigned char c : label) {
    if (std::isalnum(c)) {
      name += wordStart ? char(std::toupper(c)) : char(c);
      wordStart = false;
    } else {
      wordStart = true;
    }
  }
  return name.empty() ? "Row" + std::to_string(index) : name;
}

// The name generator of INSTANTIATE_TEST_SUITE_P for rows labelled by the member `Label`:
//   INSTANTIATE_TEST_SUITE_P(, FilterSwitchRows, ValuesIn(kRows), RowsNamedBy<&Row::label>());
template <auto Label>
struct RowsNamedBy {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return rowName(info.param.*Label, info.index);
  }
};
