// korvane-sim.exe as a local COM server, seen from a separate client process.
#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "sim/part_program_file.h"
#include "sim/server/class_id.h"
#include "tests/sim/server/dispatch_client.h"
#include "tests/sim/server/part_program.h"
#include "tests/support/korvane_sim.h"
#include "tests/support/korvane_sim_path.h"
#include "win/com.h"

namespace dravosk::sim::server::test {
namespace {

using namespace dravosk::test;
using sim::client::control;

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kMethod = DISPATCH_METHOD;

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// One call through `object` on a thread of its own (in the multithreaded apartment), so that the
// test can go on talking to the server while the call is out.
class CallOnThread {
  public:
    CallOnThread(IDispatch* object, std::function<HRESULT(IDispatch*)> call) {
        IStream* stream = nullptr;
        EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object, &stream), S_OK);
        thread_ = std::thread([this, stream, call = std::move(call)] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            IDispatch* proxy = nullptr;
            if (stream && SUCCEEDED(CoGetInterfaceAndReleaseStream(
                              stream, IID_IDispatch, reinterpret_cast<void**>(&proxy)))) {
                hr_ = call(proxy);
                proxy->Release();
            }
            CoUninitialize();
            done_ = true;
        });
    }
    CallOnThread(const CallOnThread&) = delete;
    CallOnThread& operator=(const CallOnThread&) = delete;
    ~CallOnThread() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    bool done() const { return done_; }
    HRESULT result() {
        thread_.join();
        return hr_;
    }

  private:
    std::atomic<bool> done_{false};
    HRESULT hr_ = E_FAIL;
    std::thread thread_;  // last: it uses the members above
};

std::wstring registryDefault(HKEY root, const std::wstring& path) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return L"<none>";
    }
    return value;
}

class ServerTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        const Finished registered = runServer(L"/regserver");
        ASSERT_EQ(registered.exitCode, 0u) << registered.output;
    }

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(apartment_.result()));
        ASSERT_TRUE(programFile_.write(kProgram));
        startServer();
    }

    void startServer() {
        server_.reset();
        server_ = std::make_unique<SimServer>(
            korvaneSimPath(), programFile_.path(),
            L"korvane-sim-test-" + std::to_wstring(GetCurrentProcessId()),
            SimServer::Window::hidden);
        ASSERT_TRUE(server_->ready());
    }

    static ComRef<IDispatch> createApplication() {
        IDispatch* app = nullptr;
        const HRESULT hr = CoCreateInstance(kClsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                            reinterpret_cast<void**>(&app));
        EXPECT_EQ(hr, S_OK);
        return ComRef<IDispatch>::attach(app);
    }

    static ComRef<IEnumVARIANT> enumerate(IDispatch* commands) {
        Outcome outcome = invoke(commands, L"_NewEnum", kMethod | kGet);
        EXPECT_EQ(outcome.hr, S_OK);
        EXPECT_EQ(outcome.value.vt(), VT_UNKNOWN);
        IEnumVARIANT* items = nullptr;
        if (outcome.value.vt() == VT_UNKNOWN && V_UNKNOWN(&outcome.value.get())) {
            V_UNKNOWN(&outcome.value.get())
                ->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items));
        }
        EXPECT_TRUE(items);
        return ComRef<IEnumVARIANT>::attach(items);
    }

    // The command objects in host order, fetched in batches of `batch`.
    std::vector<ComRef<IDispatch>> commands(ULONG batch = 8) {
        ComRef<IDispatch> app = createApplication();
        ComRef<IDispatch> program = getObject(app.get(), L"ActivePartProgram");
        ComRef<IDispatch> collection = getObject(program.get(), L"Commands");
        ComRef<IEnumVARIANT> items = enumerate(collection.get());
        std::vector<ComRef<IDispatch>> result;
        for (;;) {
            win::unique_variant_array fetched(batch);
            ULONG count = 0;
            const HRESULT hr = items->Next(batch, fetched.data(), &count);
            for (ULONG i = 0; i < count; ++i) {
                result.push_back(objectOf(fetched[i]));
            }
            if (hr != S_OK) {
                EXPECT_EQ(hr, S_FALSE);
                return result;
            }
        }
    }

    ComRef<IDispatch> feature(std::size_t index) {
        return getObject(commands()[index].get(), L"FeatureCommand");
    }

    // Entered first and left last: the server is stopped before the apartment goes.
    win::com_apartment apartment_{COINIT_APARTMENTTHREADED};
    TempFile programFile_{L"program.json"};
    std::unique_ptr<SimServer> server_;
};

TEST_F(ServerTest, RegistrationLeadsFromTheProgIdToTheLocalServer) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kClsid));
    const std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        EXPECT_EQ(registryDefault(root, key + L"\\LocalServer32"),
                  L"\"" + korvaneSimPath() + L"\"");
        EXPECT_EQ(registryDefault(root, key + L"\\InprocServer32"), L"<none>");
        EXPECT_EQ(
            registryDefault(root, std::wstring(L"Software\\Classes\\") + kProgId + L"\\CLSID"),
            kClsidText);
    }

    ASSERT_EQ(runServer(L"/unregserver").exitCode, 0u);
    EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(registryDefault(HKEY_LOCAL_MACHINE, key + L"\\LocalServer32"), L"<none>");
    ASSERT_EQ(runServer(L"/regserver").exitCode, 0u);
    EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
}

TEST_F(ServerTest, MembersDeliverEveryValueTypeAcrossProcesses) {
    ComRef<IDispatch> app = createApplication();
    // Properties answer both ways a client may ask for them.
    Outcome program = invoke(app.get(), L"ActivePartProgram", kMethod | kGet);
    ASSERT_EQ(program.hr, S_OK);
    ASSERT_EQ(program.value.vt(), VT_DISPATCH);

    std::vector<ComRef<IDispatch>> items = commands();
    ASSERT_EQ(items.size(), 8u);
    const VARTYPE isFeatureTypes[] = {VT_BOOL, VT_BOOL, VT_NULL, VT_I2,
                                      VT_BOOL, VT_I4,   VT_BOOL, VT_EMPTY};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(get(items[i].get(), L"IsFeature").vt(), isFeatureTypes[i]) << "command " << i;
    }
    EXPECT_EQ(V_BOOL(&get(items[0].get(), L"IsFeature").get()), VARIANT_TRUE);
    EXPECT_EQ(V_I2(&get(items[3].get(), L"IsFeature").get()), -1);

    EXPECT_EQ(bstrOf(get(getObject(items[0].get(), L"FeatureCommand").get(), L"ID")), L"P1");
    win::unique_variant id = get(getObject(items[3].get(), L"FeatureCommand").get(), L"ID");
    EXPECT_EQ(id.vt(), VT_I4);
    EXPECT_EQ(V_I4(&id.get()), 7);
    // Text arrives in full: an embedded NUL does not cut it short.
    EXPECT_EQ(bstrOf(get(getObject(items[4].get(), L"FeatureCommand").get(), L"ID")),
              std::wstring(L"A\0\u00DF", 3));
    EXPECT_EQ(V_R8(&get(getObject(items[5].get(), L"FeatureCommand").get(), L"ID").get()), 2.5);
    win::unique_variant nothing = get(getObject(items[6].get(), L"FeatureCommand").get(), L"ID");
    EXPECT_EQ(nothing.vt(), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(&nothing.get()), nullptr);

    // Without an open part program the application hands out Nothing.
    server_->lines("no-program");
    win::unique_variant none = get(app.get(), L"ActivePartProgram");
    EXPECT_EQ(none.vt(), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(&none.get()), nullptr);
}

TEST_F(ServerTest, GetVectorFillsTheReferencesAndPutVectorReachesTheSavedFile) {
    ComRef<IDispatch> p1 = feature(0);
    double x = 0, y = 0, z = 0;
    Outcome read = invoke(p1.get(), L"GetVector", kMethod,
                          {arg::i4(1), arg::i4(3), arg::r8Ref(&x), arg::r8Ref(&y), arg::r8Ref(&z)});
    ASSERT_EQ(read.hr, S_OK);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 5);
    EXPECT_EQ(z, 6);

    // A variant by reference (as script clients pass it) comes back holding a double.
    win::unique_variant vx, vy, vz;
    ASSERT_EQ(invoke(p1.get(), L"GetVector", kMethod,
                     {arg::i4(1), arg::i4(27), arg::variantRef(vx.addressof()),
                      arg::variantRef(vy.addressof()), arg::variantRef(vz.addressof())})
                  .hr,
              S_OK);
    EXPECT_EQ(vz.vt(), VT_R8);
    EXPECT_EQ(V_R8(&vz.get()), 9);

    // Arguments convertible to the declared types are taken.
    ASSERT_EQ(invoke(p1.get(), L"PutVector", kMethod,
                     {arg::i2(1), arg::i4(27), arg::r8(-7), arg::i4(-8), arg::r8(-0.0)})
                  .hr,
              S_OK);
    const TempFile saved(L"saved.json");
    server_->lines("save " + saved.utf8Path());
    const std::optional<PartProgram> program = loadPartProgram(std::filesystem::path(saved.path()));
    ASSERT_TRUE(program);
    const Vector& ziel = program->commands[0].vectors[2];
    EXPECT_EQ(ziel[0], -7);
    EXPECT_EQ(ziel[1], -8);
    EXPECT_TRUE(ziel[2] == 0 && std::signbit(ziel[2]));
    EXPECT_EQ(program->commands[0].vectors[1], (Vector{4, 5, 6}));

    const std::vector<std::string> calls = server_->lines("calls");
    EXPECT_TRUE(contains(calls, "call GetVector(1, 3, &, &, &)"));
    EXPECT_TRUE(contains(calls, "call PutVector(1, 27, -7, -8, -0)"));

    // A host that returns without filling leaves the caller's values as they were.
    server_->lines("unfilled 1");
    x = y = z = 99;
    ASSERT_EQ(invoke(p1.get(), L"GetVector", kMethod,
                     {arg::i4(1), arg::i4(2), arg::r8Ref(&x), arg::r8Ref(&y), arg::r8Ref(&z)})
                  .hr,
              S_OK);
    EXPECT_EQ(x, 99);
    EXPECT_EQ(z, 99);
}

TEST_F(ServerTest, EnumeratorHonoursBatchesSkipResetAndClone) {
    ComRef<IDispatch> app = createApplication();
    ComRef<IDispatch> collection =
        getObject(getObject(app.get(), L"ActivePartProgram").get(), L"Commands");
    ComRef<IEnumVARIANT> items = enumerate(collection.get());
    server_->lines("clear-calls");

    const auto next = [](IEnumVARIANT* e, ULONG wanted, ULONG& fetched) {
        win::unique_variant_array batch(wanted);
        const HRESULT hr = e->Next(wanted, batch.data(), &fetched);
        for (ULONG i = 0; i < fetched; ++i) {
            EXPECT_EQ(V_VT(&batch[i]), VT_DISPATCH);
        }
        return hr;
    };
    ULONG fetched = 0;
    EXPECT_EQ(next(items.get(), 3, fetched), S_OK);
    EXPECT_EQ(fetched, 3u);
    EXPECT_EQ(next(items.get(), 3, fetched), S_OK);
    EXPECT_EQ(fetched, 3u);
    EXPECT_EQ(next(items.get(), 3, fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(next(items.get(), 1, fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    const std::vector<std::string> calls = server_->lines("calls");
    EXPECT_TRUE(contains(calls, "roundtrip Next 4"));

    EXPECT_EQ(items->Reset(), S_OK);
    EXPECT_EQ(items->Skip(7), S_OK);
    EXPECT_EQ(items->Skip(5), S_FALSE);
    EXPECT_EQ(items->Reset(), S_OK);
    EXPECT_EQ(items->Skip(2), S_OK);

    IEnumVARIANT* raw = nullptr;
    ASSERT_EQ(items->Clone(&raw), S_OK);
    ComRef<IEnumVARIANT> clone = ComRef<IEnumVARIANT>::attach(raw);
    // The clone starts where the original stood (the third command, whose IsFeature is Null)
    // and moves on its own.
    win::unique_variant third;
    ASSERT_EQ(clone->Next(1, third.addressof(), nullptr), S_OK);
    EXPECT_EQ(get(objectOf(third).get(), L"IsFeature").vt(), VT_NULL);
    EXPECT_EQ(next(items.get(), 8, fetched), S_FALSE);
    EXPECT_EQ(fetched, 6u);
}

TEST_F(ServerTest, InjectedFaultArrivesWithNumberSourceAndGermanDescription) {
    ComRef<IDispatch> p1 = feature(0);
    server_->lines("fail GetVector 2 0x80041234 Vektor nicht verfügbar: Merkmal gesperrt");
    double x = 0, y = 0, z = 0;
    const auto getVector = [&](long code) {
        return invoke(p1.get(), L"GetVector", kMethod,
                      {arg::i4(1), arg::i4(code), arg::r8Ref(&x), arg::r8Ref(&y), arg::r8Ref(&z)});
    };
    EXPECT_EQ(getVector(2).hr, S_OK);
    Outcome failed = getVector(3);
    ASSERT_EQ(failed.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<unsigned long>(failed.exception.get().scode), 0x80041234ul);
    EXPECT_EQ(failed.exception.get().wCode, 0);
    EXPECT_EQ(sourceOf(failed.exception), L"Korvane");
    EXPECT_EQ(descriptionOf(failed.exception), L"Vektor nicht verf\u00FCgbar: Merkmal gesperrt");

    // The model's own refusal of a data set it does not know.
    Outcome unknownSet = getVector(5);
    ASSERT_EQ(unknownSet.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(unknownSet.exception.get().scode, DISP_E_EXCEPTION);
    EXPECT_EQ(descriptionOf(unknownSet.exception), L"Unbekannter Datensatz 5.");
}

TEST_F(ServerTest, DispatchLayerFailuresComeBackAsTheirOwnNumbers) {
    ComRef<IDispatch> p1 = feature(0);
    DISPID id = 0;
    EXPECT_EQ(dispidOf(p1.get(), L"Vector", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(dispidOf(p1.get(), L"getvector", id), S_OK);  // names ignore case

    double x = 0, y = 0, z = 0;
    EXPECT_EQ(invoke(p1.get(), L"GetVector", kMethod,
                     {arg::i4(1), arg::i4(2), arg::r8Ref(&x), arg::r8Ref(&y)})
                  .hr,
              DISP_E_BADPARAMCOUNT);
    Outcome badKind =
        invoke(p1.get(), L"GetVector", kMethod,
               {arg::text(L"eins"), arg::i4(2), arg::r8Ref(&x), arg::r8Ref(&y), arg::r8Ref(&z)});
    EXPECT_EQ(badKind.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(badKind.argErr, 4u);  // the first argument stands last in rgvarg
    Outcome byValue = invoke(p1.get(), L"GetVector", kMethod,
                             {arg::i4(1), arg::i4(2), arg::r8(0), arg::r8Ref(&y), arg::r8Ref(&z)});
    EXPECT_EQ(byValue.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(byValue.argErr, 2u);
    EXPECT_EQ(invoke(p1.get(), L"ID", DISPATCH_PROPERTYPUT, {arg::text(L"P2")}).hr,
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invoke(p1.get(), L"ID", kMethod).hr, DISP_E_MEMBERNOTFOUND);

    // A member taken away is unknown by name.
    server_->lines("missing ID");
    EXPECT_EQ(dispidOf(p1.get(), L"ID", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(dispidOf(p1.get(), L"PutVector", id), S_OK);
}

TEST_F(ServerTest, CallsAndRoundTripsAreRecordedUntilCleared) {
    server_->lines("clear-calls");
    std::vector<ComRef<IDispatch>> items = commands(3);
    EXPECT_EQ(get(items[2].get(), L"IsFeature").vt(), VT_NULL);
    const std::vector<std::string> calls = server_->lines("calls");
    const std::vector<std::string> expected = {
        "call CreateObject()", "call ActivePartProgram()", "call Commands()",
        "call _NewEnum()",     "call IsFeature()",
    };
    ASSERT_GE(calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 5), expected);
    EXPECT_TRUE(contains(calls, "roundtrip CreateInstance 1"));
    EXPECT_TRUE(contains(calls, "roundtrip GetIDsOfNames IsFeature 1"));
    EXPECT_TRUE(contains(calls, "roundtrip Invoke IsFeature 1"));
    EXPECT_TRUE(contains(calls, "roundtrip Next 3"));  // 8 commands in batches of 3

    server_->lines("clear-calls");
    EXPECT_EQ(server_->lines("calls"), std::vector<std::string>{"roundtrips 0"});
    EXPECT_FALSE(server_->control("fail GetVector eins 5 x").ok);
    EXPECT_FALSE(server_->control("explode").ok);
}

TEST_F(ServerTest, LiveObjectCountReturnsToZeroAfterRelease) {
    {
        std::vector<ComRef<IDispatch>> items = commands(2);
        ComRef<IDispatch> p1 = getObject(items[0].get(), L"FeatureCommand");
        EXPECT_GE(server_->live(), 9);
    }
    long live = -1;
    for (int attempt = 0; attempt < 100 && live != 0; ++attempt) {
        live = server_->live();
        Sleep(live ? 20 : 0);
    }
    EXPECT_EQ(live, 0);
}

TEST_F(ServerTest, KilledServerFailsTheNextCallAtOnce) {
    ComRef<IDispatch> p1 = feature(0);
    ASSERT_TRUE(server_->control("revoke").ok);  // rpcss would keep the dead class object
    server_->kill();

    const auto start = std::chrono::steady_clock::now();
    Outcome outcome = invoke(p1.get(), L"ID", kGet);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(outcome.hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
                outcome.hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
                outcome.hr == RPC_E_DISCONNECTED)
        << std::hex << outcome.hr;
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    p1.reset();

    // A new server takes over the class.
    startServer();
    EXPECT_EQ(bstrOf(get(feature(0).get(), L"ID")), L"P1");
}

TEST_F(ServerTest, ServerStartedByComEndsWithItsLastClient) {
    server_.reset();  // let COM start one
    // COM starts it without arguments: the default control channel, an empty part program.
    {
        ComRef<IDispatch> app = createApplication();
        ASSERT_TRUE(app);
        Reply live = control(L"korvane-sim", "live");
        ASSERT_TRUE(live.ok) << live.error;
        EXPECT_EQ(live.lines, std::vector<std::string>{"1"});
        EXPECT_TRUE(commands().empty());
    }
    bool gone = false;
    for (int attempt = 0; attempt < 250 && !gone; ++attempt) {
        gone = !WaitNamedPipeW(L"\\\\.\\pipe\\korvane-sim", 0) &&
               GetLastError() == ERROR_FILE_NOT_FOUND;
        Sleep(gone ? 0 : 20);
    }
    EXPECT_TRUE(gone);
}

TEST_F(ServerTest, BusyServerRefusesHostCallsButLetsReleasesThrough) {
    ComRef<IDispatch> p1 = feature(0);
    ComRef<IDispatch> app = createApplication();
    ComRef<IEnumVARIANT> items =
        enumerate(getObject(getObject(app.get(), L"ActivePartProgram").get(), L"Commands").get());
    server_->lines("clear-calls");

    // Busy from the moment the file is loaded, as a demo would start.
    const TempFile busy(L"busy.json");
    std::string program = kProgram;
    program.replace(program.rfind("]}"), 2, R"(], "faults": {"rejectMs": 60000}})");
    ASSERT_TRUE(busy.write(program));
    server_->lines("load " + busy.utf8Path());
    DISPID id = 0;
    EXPECT_EQ(dispidOf(p1.get(), L"ID", id), RPC_E_CALL_REJECTED);
    VARIANT item;
    VariantInit(&item);
    ULONG fetched = 0;
    EXPECT_EQ(items->Next(1, &item, &fetched), RPC_E_CALL_REJECTED);
    EXPECT_TRUE(contains(server_->lines("calls"), "roundtrip Rejected 2"));
    items.reset();
    app.reset();
    long live = -1;
    for (int attempt = 0; attempt < 100 && live != 1; ++attempt) {
        live = server_->live();
        Sleep(live != 1 ? 20 : 0);
    }
    EXPECT_EQ(live, 1) << "only P1's feature command is left";

    server_->lines("reject 0");
    EXPECT_EQ(bstrOf(get(p1.get(), L"ID")), L"P1");
}

TEST_F(ServerTest, DelayedCallIsAnsweredAfterItsDelay) {
    ComRef<IDispatch> p1 = feature(0);
    server_->lines("delay ID 2 600");
    EXPECT_EQ(bstrOf(get(p1.get(), L"ID")), L"P1");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(bstrOf(get(p1.get(), L"ID")), L"P1");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));

    for (const char* wrong : {"delay Vector 1 5", "delay ID 0 5", "delay ID 1 -5",
                              "delay ID 1 86400001", "hang ID", "reject x", "release"}) {
        EXPECT_FALSE(server_->control(wrong).ok) << wrong;
    }
}

TEST_F(ServerTest, HungCallReturnsOnlyAfterReleaseWhileTheControlChannelServes) {
    ComRef<IDispatch> p1 = feature(0);
    const auto putVector = [](IDispatch* object) {
        return invoke(object, L"PutVector", kMethod,
                      {arg::i4(1), arg::i4(2), arg::r8(-1), arg::r8(-2), arg::r8(-3)})
            .hr;
    };
    const TempFile saved(L"saved.json");
    const auto theo = [&] {
        server_->lines("save " + saved.utf8Path());
        const std::optional<PartProgram> program =
            loadPartProgram(std::filesystem::path(saved.path()));
        return program ? program->commands.at(0).vectors[0] : Vector{};
    };
    // Until the call has arrived, and then while it is held, the control channel answers.
    const auto waitForCall = [&](const std::string& arrived) {
        for (int attempt = 0; attempt < 250; ++attempt) {
            if (contains(server_->lines("calls"), arrived)) {
                return true;
            }
            Sleep(20);
        }
        return false;
    };

    server_->lines("hang PutVector 1");
    CallOnThread held(p1.get(), putVector);
    ASSERT_TRUE(waitForCall("roundtrip Invoke PutVector 1"));
    Sleep(300);
    EXPECT_FALSE(held.done());
    EXPECT_EQ(theo(), (Vector{1, 2, 3})) << "carried out before it was released";
    EXPECT_EQ(server_->lines("release"), std::vector<std::string>{"PutVector"});
    EXPECT_EQ(held.result(), S_OK);
    EXPECT_EQ(theo(), (Vector{-1, -2, -3}));
    EXPECT_FALSE(server_->control("release").ok);

    // A server told to quit while it holds a call ends all the same.
    server_->lines("hang PutVector 1");
    CallOnThread last(p1.get(), putVector);
    ASSERT_TRUE(waitForCall("roundtrip Invoke PutVector 2"));
    EXPECT_TRUE(server_->control("quit").ok);
    EXPECT_TRUE(server_->waitForExit(10000));
    last.result();
}

TEST(ServerCommandLine, RefusesBadInputWithReasonAndExitCode) {
    const TempFile file(L"bad.json");
    file.write("{\"commands\": [\n  {\"isFeature\": true},\n  {\"id\": ]\n]}\n");
    const Finished bad =
        runServer(L"--no-window --control korvane-sim-bad --program \"" + file.path() + L"\"");
    EXPECT_EQ(bad.exitCode, 2u);
    EXPECT_NE(bad.output.find("Zeile 3"), std::string::npos) << bad.output;
    // A number beyond the range of a double ends the server like any other bad file.
    file.write("{\"commands\": [{\"theo\": [1e400, 0, 0]}]}\n");
    const Finished overflow =
        runServer(L"--no-window --control korvane-sim-bad --program \"" + file.path() + L"\"");
    EXPECT_EQ(overflow.exitCode, 2u);
    EXPECT_NE(overflow.output.find("Zeile 1, Spalte 25"), std::string::npos) << overflow.output;
    file.remove();

    const Finished missing = runServer(L"--no-window --program \"" + file.path() + L"\"");
    EXPECT_EQ(missing.exitCode, 2u);
    EXPECT_NE(missing.output.find("nicht ge\xC3\xB6"
                                  "ffnet"),
              std::string::npos)
        << missing.output;

    const Finished unknown = runServer(L"--fenster");
    EXPECT_EQ(unknown.exitCode, 1u);
    EXPECT_NE(unknown.output.find("--fenster"), std::string::npos) << unknown.output;
}

}  // namespace
}  // namespace dravosk::sim::server::test
