#include <cmath>
#include <functional>

#include "core/text.h"

#include "win/com.h"
#include "tests/host/binding_fixture.h"

namespace dravosk::host::test {
namespace {

TEST_F(BindingTest, MethodArgumentsArriveLastFirstWithTheirTypesAndReferences) {
    FakeDispatch* feature = make();
    feature->add(L"GetVector", [](DISPPARAMS& p, VARIANT*, EXCEPINFO*) {
        // rgvarg[0] is z, the last argument.
        *p.rgvarg[2].pdblVal = 1.5;
        *p.rgvarg[1].pdblVal = -2.0;
        *p.rgvarg[0].pdblVal = 0.25;
        return S_OK;
    });
    feature->add(L"PutVector", [](DISPPARAMS&, VARIANT*, EXCEPINFO*) { return S_OK; });
    HostObjectPtr object = wrap(feature);

    double x = 0, y = 0, z = 0;
    const HostArg get[] = {1, 27, &x, &y, &z};
    object->call(u"GetVector", get);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(y, -2.0);
    EXPECT_EQ(z, 0.25);

    const HostArg put[] = {1, 3, -1.5, -0.0, -0.25};
    object->call(u"PutVector", put);

    ASSERT_EQ(feature->invocations.size(), 2u);
    for (const Invocation& call : feature->invocations) {
        EXPECT_EQ(call.flags, DISPATCH_METHOD);
        EXPECT_FALSE(call.resultAsked);
        ASSERT_EQ(call.rgvarg.size(), 5u);
        EXPECT_EQ(call.rgvarg[4].vt, VT_I4);
        EXPECT_EQ(call.rgvarg[4].lVal, 1);
    }
    const auto& g = feature->invocations[0].rgvarg;
    EXPECT_EQ(g[3].lVal, 27);
    EXPECT_EQ(g[2].vt, VT_BYREF | VT_R8);
    EXPECT_EQ(g[2].pdblVal, &x);
    EXPECT_EQ(g[1].pdblVal, &y);
    EXPECT_EQ(g[0].pdblVal, &z);
    const auto& p = feature->invocations[1].rgvarg;
    EXPECT_EQ(p[3].lVal, 3);
    EXPECT_EQ(p[2].vt, VT_R8);
    EXPECT_EQ(p[2].dblVal, -1.5);
    EXPECT_TRUE(std::signbit(p[1].dblVal)) << "negative zero must go out as such";
    EXPECT_EQ(p[0].dblVal, -0.25);
}

// The host fills a by-reference argument through its reference; one that overwrote the argument
// itself has filled nothing of Dravosk's, and that is an error, not a value.
TEST_F(BindingTest, AHostThatOverwritesAReferenceArgumentIsAnError) {
    static double elsewhere = 0;
    struct Case {
        std::function<void(DISPPARAMS&)> overwrite;
        HRESULT number;
        const char16_t* argument;
    };
    const Case cases[] = {
        {[](DISPPARAMS& p) {
             p.rgvarg[0].vt = VT_R8;  // z
             p.rgvarg[0].dblVal = 1.0;
         },
         DISP_E_TYPEMISMATCH, u"Rückgabeargument 5 "},
        {[](DISPPARAMS& p) { p.rgvarg[1].pdblVal = &elsewhere; }, E_UNEXPECTED,
         u"Rückgabeargument 4 "},
    };
    for (const Case& c : cases) {
        FakeDispatch* feature = make();
        feature->add(L"GetVector", [&c](DISPPARAMS& p, VARIANT*, EXCEPINFO*) {
            for (UINT i = 0; i < 3; ++i) {
                *p.rgvarg[i].pdblVal = 2.0;
            }
            c.overwrite(p);
            return S_OK;
        });
        double x = 0, y = 0, z = 0;
        const HostArg get[] = {1, 27, &x, &y, &z};
        const Error e = failure([&] { wrap(feature)->call(u"GetVector", get); });
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(c.number));
        EXPECT_EQ(e.where(), u"GetVector");
        EXPECT_NE(e.description().find(c.argument), std::u16string::npos)
            << toUtf8(e.description());
    }
}

TEST_F(BindingTest, NamesAreLookedUpOncePerObjectAndPropertiesAskForAValue) {
    FakeDispatch* first = make();
    FakeDispatch* second = make();
    for (FakeDispatch* f : {first, second}) {
        f->addValue(L"ID", [](VARIANT& v) {
            v.vt = VT_I4;
            v.lVal = 7;
        });
        f->addValue(L"IsFeature", [](VARIANT& v) {
            v.vt = VT_BOOL;
            v.boolVal = VARIANT_TRUE;
        });
    }
    HostObjectPtr a = wrap(first);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(a->getText(u"ID"), u"7");
        EXPECT_TRUE(a->getBool(u"IsFeature"));
    }
    EXPECT_EQ(first->lookups[L"ID"], 1);
    EXPECT_EQ(first->lookups[L"IsFeature"], 1);
    for (const Invocation& call : first->invocations) {
        EXPECT_EQ(call.flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        EXPECT_TRUE(call.resultAsked);
        EXPECT_TRUE(call.rgvarg.empty());
    }

    // Another object with the same members asks for its own DISPIDs.
    HostObjectPtr b = wrap(second);
    EXPECT_EQ(b->getText(u"ID"), u"7");
    EXPECT_EQ(second->lookups[L"ID"], 1);
}

// A property whose value the test sets before each read.
class ValueTest : public BindingTest {
  protected:
    void SetUp() override {
        FakeDispatch* f = make();
        f->addValue(L"Value", [this](VARIANT& v) { ::VariantCopy(&v, value.addressof()); });
        object = wrap(f);
    }
    void TearDown() override {
        object.reset();
        value.reset();
        BindingTest::TearDown();
    }
    void set(VARTYPE vt, auto assign) {
        value.reset();
        value.addressof()->vt = vt;
        assign(*value.addressof());
    }

    win::unique_variant value;
    HostObjectPtr object;
};

TEST_F(ValueTest, BooleansFromNullNumbersAndText) {
    set(VT_NULL, [](VARIANT&) {});
    EXPECT_FALSE(object->getBool(u"Value"));
    set(VT_EMPTY, [](VARIANT&) {});
    EXPECT_FALSE(object->getBool(u"Value"));
    set(VT_I2, [](VARIANT& v) { v.iVal = 0; });
    EXPECT_FALSE(object->getBool(u"Value"));
    set(VT_I2, [](VARIANT& v) { v.iVal = -1; });
    EXPECT_TRUE(object->getBool(u"Value"));
    value = variantText(u"True");
    EXPECT_TRUE(object->getBool(u"Value"));
    value = variantText(u"False");
    EXPECT_FALSE(object->getBool(u"Value"));

    value = variantText(u"vielleicht");
    const Error e = failure([&] { object->getBool(u"Value"); });
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80020005));
    EXPECT_EQ(e.where(), u"Value");
}

TEST_F(ValueTest, TextsKeepEveryCodeUnit) {
    const std::u16string exact(u"A\0\u00DF\u0416\u4E2D \U0001F600 ", 9);
    ASSERT_EQ(exact[1], u'\0');
    value = variantText(exact);
    EXPECT_EQ(object->getText(u"Value"), exact);

    value = variantI4(-42);
    EXPECT_EQ(object->getText(u"Value"), u"-42");
    set(VT_R8, [](VARIANT& v) { v.dblVal = 2.5; });
    EXPECT_EQ(object->getText(u"Value"), u"2.5");  // no locale's decimal comma
    static long byReference = 5;
    set(VT_BYREF | VT_I4, [](VARIANT& v) { v.plVal = &byReference; });
    EXPECT_EQ(object->getText(u"Value"), u"5");
    set(VT_EMPTY, [](VARIANT&) {});
    EXPECT_EQ(object->getText(u"Value"), u"");
    set(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; });
    EXPECT_EQ(object->getText(u"Value"), u"");

    set(VT_NULL, [](VARIANT&) {});
    const Error e = failure([&] { object->getText(u"Value"); });
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80020005));
    EXPECT_EQ(e.where(), u"Value");
}

TEST_F(ValueTest, ObjectsFromDispatchOrUnknownAndNothingFromEmptyValues) {
    FakeDispatch* child = make();
    value = variantOf(child);
    EXPECT_NE(object->getObject(u"Value"), nullptr);
    set(VT_UNKNOWN, [&](VARIANT& v) {
        v.punkVal = static_cast<IDispatch*>(child);
        child->AddRef();
    });
    EXPECT_NE(object->getObject(u"Value"), nullptr);
    EXPECT_EQ(child->references(), 2) << "the test's and the value's";

    set(VT_EMPTY, [](VARIANT&) {});
    EXPECT_EQ(object->getObject(u"Value"), nullptr);
    set(VT_NULL, [](VARIANT&) {});
    EXPECT_EQ(object->getObject(u"Value"), nullptr);
    set(VT_DISPATCH, [](VARIANT& v) { v.pdispVal = nullptr; });
    EXPECT_EQ(object->getObject(u"Value"), nullptr);

    value = variantI4(1);
    EXPECT_EQ(failure([&] { object->getObject(u"Value"); }).number(),
              static_cast<std::int32_t>(0x80020005));
    // An object that cannot be driven by name.
    auto log = std::make_shared<EnumLog>();
    std::vector<win::unique_variant> none;
    set(VT_UNKNOWN, [&](VARIANT& v) { v.punkVal = new FakeEnum(&none, log); });
    EXPECT_EQ(failure([&] { object->getObject(u"Value"); }).number(),
              static_cast<std::int32_t>(E_NOINTERFACE));
}

// An object where a value is expected is taken by its default value, asked once: a host whose
// default value is an object again would otherwise recurse until the stack overflows.
TEST_F(ValueTest, AnObjectGivesItsDefaultValueOnceAndAnObjectAgainIsAMismatch) {
    FakeDispatch* child = make();
    child->setDefaultValue([](VARIANT& v) {
        v.vt = VT_BOOL;
        v.boolVal = VARIANT_TRUE;
    });
    value = variantOf(child);
    EXPECT_TRUE(object->getBool(u"Value"));

    FakeDispatch* endless = make();
    endless->setDefaultValue([endless](VARIANT& v) {
        v.vt = VT_DISPATCH;
        v.pdispVal = endless;
        endless->AddRef();
    });
    value = variantOf(endless);
    for (const auto& read : {std::function<void()>([&] { object->getBool(u"Value"); }),
                             std::function<void()>([&] { object->getText(u"Value"); })}) {
        const Error e = failure(read);
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80020005));
        EXPECT_EQ(e.where(), u"Value");
    }
    EXPECT_EQ(endless->invocations.size(), 2u) << "asked once per read";
}

}  // namespace
}  // namespace dravosk::host::test
