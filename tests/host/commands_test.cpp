// Read and Write end to end over the binding: the application object is created through a
// registered program identifier, and the objects behind it are the in-process fakes.
#include <array>
#include <map>
#include <utility>

#include "core/commands.h"
#include "core/controls.h"
#include "sim/memory_window.h"
#include "tests/host/binding_fixture.h"
#include "win/handles.h"

namespace dravosk::host::test {
namespace {

using unique_hkey = win::unique_any<win::CloseTraits<HKEY, &::RegCloseKey>>;

constexpr wchar_t kTestProgId[] = L"Dravosk.HostTest.Application";
constexpr wchar_t kTestProgIdKey[] = L"Software\\Classes\\Dravosk.HostTest.Application";
// {6C1F2D4E-9B3A-4F21-8D7C-2E5A0B9C4D11}
constexpr CLSID kTestClsid = {
    0x6c1f2d4e, 0x9b3a, 0x4f21, {0x8d, 0x7c, 0x2e, 0x5a, 0x0b, 0x9c, 0x4d, 0x11}};

// Hands out the test's application object; lives as long as the program.
class AppFactory final : public IClassFactory {
  public:
    IDispatch* app = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IClassFactory) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        return outer ? CLASS_E_NOAGGREGATION : app->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};
AppFactory factory;

// The application Read and Write ask for, under the host's identifier, made from the test's class.
class TestService final : public AutomationService {
  public:
    explicit TestService(std::shared_ptr<OutgoingCalls> calls) : com_(std::move(calls)) {}
    HostObjectPtr createObject(std::u16string_view progId) override {
        EXPECT_EQ(progId, kHostProgId);
        return com_.createObject(u"Dravosk.HostTest.Application");
    }

  private:
    ComAutomationService com_;
};

using Vector = std::array<double, 3>;

class CommandsOverComTest : public BindingTest {
  protected:
    void SetUp() override {
        wchar_t clsid[40];
        ASSERT_GT(::StringFromGUID2(kTestClsid, clsid, 40), 0);
        unique_hkey key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                                    (std::wstring(kTestProgIdKey) + L"\\CLSID").c_str(), 0, nullptr,
                                    0, KEY_WRITE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(
            ::RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid),
                             static_cast<DWORD>((wcslen(clsid) + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
        key.reset();
        ASSERT_EQ(::CoRegisterClassObject(kTestClsid, &factory, CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &cookie_),
                  S_OK);

        FakeDispatch* app = make();
        factory.app = app;
        FakeDispatch* program = make();
        app->addObject(L"ActivePartProgram", program);
        program->addObject(L"Commands", collection(items_, std::make_shared<EnumLog>()));
        addCommand([](VARIANT& v) { v.vt = VT_BOOL, v.boolVal = VARIANT_TRUE; }, feature(u"P1"));
        addCommand([](VARIANT& v) { v.vt = VT_NULL; }, nullptr);
        addCommand([](VARIANT& v) { v.vt = VT_BOOL, v.boolVal = VARIANT_TRUE; }, feature(u""));
        addCommand([](VARIANT& v) { v.vt = VT_I2, v.iVal = -1; }, feature(u"P2"));
    }
    void TearDown() override {
        if (cookie_ != 0) {
            ::CoRevokeClassObject(cookie_);
        }
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestProgIdKey);
        factory.app = nullptr;
        items_.clear();
        BindingTest::TearDown();
    }

    FakeDispatch* feature(std::u16string id) {
        FakeDispatch* f = make();
        features_.push_back(f);
        auto& vectors = *vectors_.emplace_back(std::make_unique<std::map<int, Vector>>(
            std::map<int, Vector>{{2, {1, 2, 3}}, {3, {4, 0, -6}}, {27, {7, 8, 9}}}));
        f->addValue(L"ID", [id](VARIANT& v) { v = variantText(id).get(), v.vt = VT_BSTR; });
        f->add(L"GetVector", [&vectors](DISPPARAMS& p, VARIANT*, EXCEPINFO*) {
            if (p.cArgs != 5 || p.rgvarg[3].vt != VT_I4 || p.rgvarg[0].vt != (VT_BYREF | VT_R8)) {
                return DISP_E_TYPEMISMATCH;
            }
            const Vector& v = vectors.at(p.rgvarg[3].lVal);
            for (int i = 0; i < 3; ++i) {
                *p.rgvarg[2 - i].pdblVal = v[static_cast<std::size_t>(i)];
            }
            return S_OK;
        });
        f->add(L"PutVector", [&vectors](DISPPARAMS& p, VARIANT*, EXCEPINFO*) {
            if (p.cArgs != 5 || p.rgvarg[3].vt != VT_I4 || p.rgvarg[0].vt != VT_R8) {
                return DISP_E_TYPEMISMATCH;
            }
            vectors.at(p.rgvarg[3].lVal) = {p.rgvarg[2].dblVal, p.rgvarg[1].dblVal,
                                            p.rgvarg[0].dblVal};
            return S_OK;
        });
        return f;
    }
    void addCommand(std::function<void(VARIANT&)> isFeature, FakeDispatch* featureCommand) {
        FakeDispatch* command = make();
        command->addValue(L"IsFeature", std::move(isFeature));
        command->addObject(L"FeatureCommand", featureCommand);
        items_.push_back(variantOf(command));
    }

    // The collection's items are values the test keeps: one reference to each command.
    long commandsHeld() const { return static_cast<long>(items_.size()); }

    TestService service{calls_};
    sim::MemoryFeatureList list;
    sim::MemoryControlStates states;
    CommandProgress progress;
    // In the order of the commands: P1, the feature without identifier, P2.
    std::vector<FakeDispatch*> features_;
    std::vector<std::unique_ptr<std::map<int, Vector>>> vectors_;
    std::vector<win::unique_variant> items_;
    DWORD cookie_ = 0;
};

TEST_F(CommandsOverComTest, ReadListsTheFeaturesAndWriteReversesTheMarkedOnes) {
    cmd_lesen_Click(service, list, states, progress);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.text(0), u"P1");
    EXPECT_EQ(list.text(1), u"P2");
    expectAllReleased(commandsHeld());

    list.setMarked(1, true);
    states.setCheck(CheckBox::check2, 0);
    cmd_schreiben_Click(service, list, states, progress);
    const auto& p1 = *vectors_[0];
    const auto& p2 = *vectors_[2];
    EXPECT_EQ(p1.at(2), (Vector{1, 2, 3}));
    EXPECT_EQ(p2.at(2), (Vector{-1, -2, -3}));
    EXPECT_EQ(p2.at(3), (Vector{4, 0, -6}));
    EXPECT_EQ(p2.at(27), (Vector{-7, -8, -9}));
    EXPECT_EQ(states.messages, std::vector<std::u16string>{std::u16string(kWrittenMessage)});
    EXPECT_EQ(list.count(), 0);
    expectAllReleased(commandsHeld());
}

TEST_F(CommandsOverComTest, AHostErrorEndsTheCommandAndReleasesEverything) {
    cmd_lesen_Click(service, list, states, progress);
    markAll(list);
    features_[2]->add(L"PutVector", [](DISPPARAMS&, VARIANT*, EXCEPINFO* e) {
        e->scode = static_cast<SCODE>(0x80040210);
        e->bstrDescription = ::SysAllocString(L"Merkmal ist schreibgeschützt");
        return DISP_E_EXCEPTION;
    });
    const Error e = failure([&] { cmd_schreiben_Click(service, list, states, progress); });
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040210));
    EXPECT_EQ(e.description(), u"Merkmal ist schreibgeschützt");
    EXPECT_NE(e.where().find(u"PutVector"), std::u16string::npos);
    EXPECT_TRUE(states.messages.empty());
    expectAllReleased(commandsHeld());
}

TEST_F(CommandsOverComTest, AClassNoServerAnswersForFailsBeforeTheListChanges) {
    cmd_lesen_Click(service, list, states, progress);
    ::CoRevokeClassObject(std::exchange(cookie_, 0));
    const Error e = failure([&] { cmd_lesen_Click(service, list, states, progress); });
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(REGDB_E_CLASSNOTREG));
    EXPECT_EQ(e.where(), u"CreateObject(\"Dravosk.HostTest.Application\")");
    EXPECT_FALSE(e.description().empty());
    EXPECT_EQ(list.count(), 2);
    expectAllReleased(commandsHeld());
}

}  // namespace
}  // namespace dravosk::host::test
