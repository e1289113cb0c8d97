#include "tests/host/binding_fixture.h"

namespace dravosk::host::test {
namespace {

class EnumerationTest : public BindingTest {
  protected:
    // `count` items, each an object whose ID is its position from 1.
    void fill(int count) {
        for (int i = 1; i <= count; ++i) {
            FakeDispatch* item = make();
            item->addValue(L"ID", [i](VARIANT& v) {
                v.vt = VT_I4;
                v.lVal = i;
            });
            items.push_back(variantOf(item));
        }
    }
    void TearDown() override {
        items.clear();
        BindingTest::TearDown();
    }

    std::vector<win::unique_variant> items;
    std::shared_ptr<EnumLog> log = std::make_shared<EnumLog>();
};

TEST_F(EnumerationTest, ItemsComeInOrderInBatchesOf64UntilSFalse) {
    struct Case {
        int count;
        std::vector<ULONG> requests;
        std::vector<HRESULT> answers;
    };
    const Case cases[] = {
        {0, {64}, {S_FALSE}},
        {3, {64}, {S_FALSE}},
        {64, {64, 64}, {S_OK, S_FALSE}},
        {130, {64, 64, 64}, {S_OK, S_OK, S_FALSE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        items.clear();
        *log = {};
        fill(c.count);
        FakeDispatch* commands = collection(items, log);
        {
            HostEnumeratorPtr walk = wrap(commands)->enumerate();
            for (int i = 1; i <= c.count; ++i) {
                HostObjectPtr item = walk->next();
                ASSERT_NE(item, nullptr);
                const std::string id = std::to_string(i);
                EXPECT_EQ(item->getText(u"ID"), std::u16string(id.begin(), id.end()));
            }
            EXPECT_EQ(walk->next(), nullptr);
            EXPECT_EQ(walk->next(), nullptr) << "the end stays the end";
        }
        EXPECT_EQ(log->requests, c.requests);
        EXPECT_EQ(log->answers, c.answers);
        ASSERT_EQ(commands->invocations.size(), 1u);
        EXPECT_EQ(commands->invocations[0].id, DISPID_NEWENUM);
        EXPECT_EQ(commands->invocations[0].flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        items.clear();
        expectAllReleased();
    }
}

TEST_F(EnumerationTest, AWalkLeftHalfWayReleasesWhatItFetched) {
    fill(10);
    {
        HostEnumeratorPtr walk = wrap(collection(items, log))->enumerate();
        EXPECT_NE(walk->next(), nullptr);
    }
    items.clear();
    expectAllReleased();
}

// S_OK with fewer items than asked for is not the end (the enumerator is asked again), and S_OK
// with none is not the end either but an error: only S_FALSE ends the walk.
TEST_F(EnumerationTest, AnEnumeratorThatAnswersOkWithNothingIsAnErrorNotTheEnd) {
    fill(3);
    HostEnumeratorPtr walk =
        wrap(collection(items, log, [](FakeEnum& e) { e.emptyIsOk = true; }))->enumerate();
    int seen = 0;
    const Error e = failure([&] {
        while (walk->next()) {
            ASSERT_LT(++seen, 10);
        }
    });
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(log->requests.size(), 2u);
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(E_UNEXPECTED));
    EXPECT_EQ(e.where(), u"IEnumVARIANT::Next");
    EXPECT_NE(e.description().find(u"Element 4 "), std::u16string::npos);
}

TEST_F(EnumerationTest, EveryItemMustBeAnObject) {
    fill(1);
    items.push_back(variantI4(5));
    items.push_back(variantOf(nullptr));
    HostEnumeratorPtr walk = wrap(collection(items, log))->enumerate();
    EXPECT_NE(walk->next(), nullptr);
    for (const char16_t* position : {u"Element 2 ", u"Element 3 "}) {
        const Error e = failure([&] { walk->next(); });
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80020005));
        EXPECT_EQ(e.where(), u"IEnumVARIANT::Next");
        EXPECT_NE(e.description().find(position), std::u16string::npos);
    }
}

TEST_F(EnumerationTest, FailuresOfNextAndNewEnumAreReported) {
    fill(70);
    HostEnumeratorPtr walk = wrap(collection(items, log, [](FakeEnum& e) {
                                 e.failAfter = RPC_E_DISCONNECTED;
                             }))->enumerate();
    for (int i = 0; i < 64; ++i) {
        ASSERT_NE(walk->next(), nullptr);
    }
    const Error e = failure([&] { walk->next(); });
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(RPC_E_DISCONNECTED));
    EXPECT_EQ(e.where(), u"IEnumVARIANT::Next");
    walk.reset();

    // _NewEnum giving something that is no enumerator.
    FakeDispatch* odd = make();
    odd->addValue(
        L"_NewEnum", [](VARIANT& v) { v.vt = VT_I4; }, DISPID_NEWENUM);
    FakeDispatch* noEnum = make();
    noEnum->addObject(L"_NewEnum", odd, DISPID_NEWENUM);
    FakeDispatch* none = make();
    const std::pair<FakeDispatch*, HRESULT> cases[] = {
        {odd, DISP_E_TYPEMISMATCH}, {noEnum, E_NOINTERFACE}, {none, DISP_E_MEMBERNOTFOUND}};
    for (const auto& [object, expected] : cases) {
        const Error failed = failure([&] { wrap(object)->enumerate(); });
        EXPECT_EQ(failed.number(), static_cast<std::int32_t>(expected));
        EXPECT_EQ(failed.where(), u"_NewEnum");
    }
}

}  // namespace
}  // namespace dravosk::host::test
