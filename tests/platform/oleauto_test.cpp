// Tests of OLE Automation strings and variants: BSTR lengths, copies and conversions.
#include "platform/oleauto.h"
#include "support/row_names.h"
#include "support/xml_document.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Bstr, KeepsItsLengthIncludingEmbeddedNulsAndIsTerminated) {
  const WCHAR text[] = {'a', 0, 'b'};
  BSTR s = SysAllocStringLen(text, 3);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(SysStringByteLen(s), 6u);
  EXPECT_EQ(s[1], 0);
  EXPECT_EQ(s[2], 'b');
  EXPECT_EQ(s[3], 0);
  SysFreeString(s);

  BSTR copy = SysAllocString(WSTR("hello"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(SysStringLen(copy), 5u);
  EXPECT_EQ(textCompare(copy, WSTR("hello")), 0);
  SysFreeString(copy);
}

TEST(Bstr, NullStandsForTheEmptyString) {
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  SysFreeString(nullptr);
  // A length without text gives that many zeroed units, ready to be filled.
  BSTR blank = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(SysStringLen(blank), 4u);
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(blank[i], 0);
  SysFreeString(blank);
}

TEST(Bstr, AnImpossibleLengthGivesNull) {
  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

TEST(Variant, CopyDuplicatesTheStringAndClearFreesIt) {
  StringVariant source(u"value");
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &source.get()), S_OK);
  ASSERT_EQ(copy.vt, VT_BSTR);
  EXPECT_NE(copy.bstrVal, source.get().bstrVal);
  EXPECT_EQ(textCompare(copy.bstrVal, WSTR("value")), 0);
  EXPECT_EQ(VariantClear(&copy), S_OK);
  EXPECT_EQ(copy.vt, VT_EMPTY);
}

TEST(Variant, CopyAndClearCountReferencesOfInterfaces) {
  ComRef<IXMLDOMDocument> document = newDocument();
  ASSERT_TRUE(document);
  VARIANT held;
  VariantInit(&held);
  held.vt = VT_UNKNOWN;
  held.punkVal = document.get();
  document->AddRef();
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &held), S_OK);
  // Three holders now: the test, `held` and `copy`.
  EXPECT_EQ(document->AddRef(), 4u);
  document->Release();
  VariantClear(&copy);
  VariantClear(&held);
  EXPECT_EQ(document->AddRef(), 2u);
  document->Release();
}

struct Conversion {
  const char* name;
  VARTYPE fromType;
  LONG number;              // for VT_I4 / VT_BOOL sources
  std::u16string text;      // for VT_BSTR sources
  VARTYPE toType;
  HRESULT expected;
  std::u16string asText;    // expected VT_BSTR result
  LONG asNumber;            // expected VT_I4 / VT_BOOL result
};

const Conversion kConversions[] = {
    {"number to text", VT_I4, -42, u"", VT_BSTR, S_OK, u"-42", 0},
    {"switch to text", VT_BOOL, VARIANT_TRUE, u"", VT_BSTR, S_OK, u"-1", 0},
    {"empty to text", VT_EMPTY, 0, u"", VT_BSTR, S_OK, u"", 0},
    {"text to number", VT_BSTR, 0, u" 123 ", VT_I4, S_OK, u"", 123},
    {"negative text to number", VT_BSTR, 0, u"-2147483648", VT_I4, S_OK, u"", INT32_MIN},
    {"word to number", VT_BSTR, 0, u"12a", VT_I4, DISP_E_TYPEMISMATCH, u"", 0},
    {"empty text to number", VT_BSTR, 0, u"", VT_I4, DISP_E_TYPEMISMATCH, u"", 0},
    {"too large for a number", VT_BSTR, 0, u"2147483648", VT_I4, static_cast<HRESULT>(0x8002000A), u"", 0},
    {"true text to switch", VT_BSTR, 0, u"True", VT_BOOL, S_OK, u"", VARIANT_TRUE},
    {"zero text to switch", VT_BSTR, 0, u"0", VT_BOOL, S_OK, u"", VARIANT_FALSE},
    {"number to switch", VT_I4, 7, u"", VT_BOOL, S_OK, u"", VARIANT_TRUE},
    {"switch to number", VT_BOOL, VARIANT_TRUE, u"", VT_I4, S_OK, u"", -1},
    {"null to text", VT_NULL, 0, u"", VT_BSTR, DISP_E_TYPEMISMATCH, u"", 0},
    {"null to number", VT_NULL, 0, u"", VT_I4, DISP_E_TYPEMISMATCH, u"", 0},
};

class VariantRows : public ::testing::TestWithParam<Conversion> {};

TEST_P(VariantRows, ChangeTypeConvertsBetweenTextNumbersAndSwitches) {
  const Conversion& c = GetParam();
  VARIANT source;
  VariantInit(&source);
  source.vt = c.fromType;
  if (c.fromType == VT_BSTR)
    source.bstrVal = SysAllocStringLen(reinterpret_cast<const WCHAR*>(c.text.data()), static_cast<UINT>(c.text.size()));
  else if (c.fromType == VT_BOOL)
    source.boolVal = static_cast<VARIANT_BOOL>(c.number);
  else
    source.lVal = c.number;
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(VariantChangeType(&result, &source, 0, c.toType), c.expected);
  if (c.expected == S_OK) {
    ASSERT_EQ(result.vt, c.toType);
    if (c.toType == VT_BSTR)
      EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(result.bstrVal), SysStringLen(result.bstrVal)), c.asText);
    else if (c.toType == VT_BOOL)
      EXPECT_EQ(result.boolVal, c.asNumber);
    else
      EXPECT_EQ(result.lVal, c.asNumber);
  } else {
    EXPECT_EQ(result.vt, VT_EMPTY) << "a failed conversion leaves the destination alone";
  }
  VariantClear(&result);
  VariantClear(&source);
}

INSTANTIATE_TEST_SUITE_P(, VariantRows, ::testing::ValuesIn(kConversions),
                         RowsNamedBy<&Conversion::name>());

TEST(Variant, ChangeTypeInPlaceReplacesTheSource) {
  StringVariant owned(u"17");
  VARIANT v;
  VariantInit(&v);
  ASSERT_EQ(VariantCopy(&v, &owned.get()), S_OK);
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, 17);
  // And a failure in place keeps the value it had.
  v.vt = VT_NULL;
  EXPECT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(v.vt, VT_NULL);
}

}  // namespace
