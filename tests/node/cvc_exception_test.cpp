// CVCException: formatting, the length bound and deep copies.
#include "plugin/entry/cvc_exception.h"

#include "node_fixture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace nodetest;

TEST(CVCException, FormatsEachConversion) {
  EXPECT_EQ(utf8(CVCException(WSTR("Node '%s' has no type"), WSTR("Hotkeys")).getMessage()),
            "Node 'Hotkeys' has no type");
  EXPECT_EQ(utf8(CVCException(WSTR("'%c', or %i, at %u; 100%%"), static_cast<int>('g'),
                              std::int32_t{-103}, std::uint32_t{4294967295u})
                     .getMessage()),
            "'g', or -103, at 4294967295; 100%");
  // A text argument is never read as a format.
  EXPECT_EQ(utf8(CVCException(WSTR("%s"), WSTR("50%s %i")).getMessage()), "50%s %i");
}

TEST(CVCException, LongMessageIsCutAndTerminated) {
  Text longText(5000, u'x');
  CVCException e(WSTR("<%s>"), longText.c_str());
  EXPECT_EQ(textLength(e.getMessage()), CVCException::kCapacity - 1);
  EXPECT_EQ(e.getMessage()[0], u'<');
  EXPECT_EQ(e.getMessage()[1], u'x');
}

TEST(CVCException, CopyOwnsItsOwnMessage) {
  auto original = std::make_unique<CVCException>(WSTR("Unable to create child '%s'"), WSTR("A"));
  CVCException copy(*original);
  EXPECT_NE(copy.getMessage(), original->getMessage());
  original.reset();
  EXPECT_EQ(utf8(copy.getMessage()), "Unable to create child 'A'");
}

TEST(CVCException, SurvivesThrowAndCatch) {
  std::string caught;
  try {
    throw CVCException(WSTR("getId() - Node has no reference"));
  } catch (const CVCException& e) {
    caught = utf8(e.getMessage());
  }
  EXPECT_EQ(caught, "getId() - Node has no reference");
}

}  // namespace
