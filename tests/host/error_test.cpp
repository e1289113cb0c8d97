#include "host/com_error.h"
#include "host/hresult_text.h"
#include "win/text.h"
#include "win/unique_bstr.h"
#include "tests/host/binding_fixture.h"

namespace dravosk::host::test {
namespace {

// What the operator reads for `hr` when nothing more specific is on offer: the system's text where
// it has one (Windows), else the tool's own (Wine has none for the OLE codes).
std::u16string expectedText(HRESULT hr) {
    const std::u16string system = win::u16(win::systemMessage(static_cast<DWORD>(hr)));
    return system.empty() ? std::u16string(toolMessage(hr)) : system;
}

TEST_F(BindingTest, AnUnknownProgramIdentifierGivesItsNumberAndAGermanText) {
    ComAutomationService service;
    const Error e = failure([&] { service.createObject(u"Dravosk.GibtEsNicht"); });
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x800401F3));
    EXPECT_EQ(e.where(), u"CreateObject(\"Dravosk.GibtEsNicht\")");
    EXPECT_EQ(toolMessage(CO_E_CLASSSTRING),
              u"Die Programmkennung ist nicht registriert (ungültige Klassenzeichenfolge). Ist "
              u"Korvane auf diesem Rechner installiert?");
    // With the hint: an elevated program may not see a registration made for the user alone.
    EXPECT_EQ(e.description(),
              expectedText(CO_E_CLASSSTRING) + u" " + std::u16string(kElevationHint));

    // A NUL would cut the identifier short at the system's door.
    const std::u16string cut(u"Dravosk.GibtEsNicht\0Mehr", 24);
    EXPECT_EQ(failure([&] { service.createObject(cut); }).number(),
              static_cast<std::int32_t>(0x800401F3));
}

TEST_F(BindingTest, AnUnknownMemberIsReportedByName) {
    HostObjectPtr object = wrap(make());
    const Error e = failure([&] { object->getText(u"Kennung"); });
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80020006));
    EXPECT_EQ(e.where(), u"Kennung");
    EXPECT_EQ(e.description(), expectedText(DISP_E_UNKNOWNNAME));
    EXPECT_FALSE(e.description().empty());
}

HRESULT STDMETHODCALLTYPE fillLater(EXCEPINFO* e) {
    e->scode = static_cast<SCODE>(0x80040201);
    e->bstrDescription = ::SysAllocString(L"Später beschrieben");
    return S_OK;
}

TEST_F(BindingTest, ServerExceptionsGiveTheirOwnNumberAndText) {
    struct Case {
        const char* name;
        std::function<void(EXCEPINFO&)> raise;
        HRESULT number;
        std::u16string description;
    };
    const Case cases[] = {
        {"scode",
         [](EXCEPINFO& e) {
             e.scode = static_cast<SCODE>(0x80040200);
             e.bstrSource = ::SysAllocString(L"Korvane");
             e.bstrDescription = ::SysAllocString(L"Merkmal ist gesperrt");
         },
         static_cast<HRESULT>(0x80040200), u"Merkmal ist gesperrt"},
        {"deferred", [](EXCEPINFO& e) { e.pfnDeferredFillIn = fillLater; },
         static_cast<HRESULT>(0x80040201), u"Später beschrieben"},
        {"wCode",
         [](EXCEPINFO& e) {
             e.wCode = 1004;
             e.bstrDescription = ::SysAllocString(L"Anwendungsfehler");
         },
         static_cast<HRESULT>(0x800A03EC), u"Anwendungsfehler"},
        {"wCode without text", [](EXCEPINFO& e) { e.wCode = 7; }, static_cast<HRESULT>(0x800A0007),
         u"Der Automatisierungsserver meldete den Fehler 7 ohne Beschreibung."},
        // Nothing filled in (as Wine's proxy delivers deferred texts): still a failure.
        {"empty", [](EXCEPINFO&) {}, DISP_E_EXCEPTION, expectedText(DISP_E_EXCEPTION)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDispatch* feature = make();
        feature->add(L"PutVector", [&](DISPPARAMS&, VARIANT*, EXCEPINFO* e) {
            c.raise(*e);
            return DISP_E_EXCEPTION;
        });
        const HostArg args[] = {1, 2, 0.0, 0.0, 0.0};
        const Error e = failure([&] { wrap(feature)->call(u"PutVector", args); });
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(c.number));
        EXPECT_EQ(e.description(), c.description);
        EXPECT_EQ(e.where(), u"PutVector");
    }
}

// Sets the thread's error object as a server does before it fails.
void raiseErrorInfo(const wchar_t* text) {
    win::com_ptr<ICreateErrorInfo> create;
    ASSERT_EQ(::CreateErrorInfo(create.put()), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(text));
    win::com_ptr<IErrorInfo> info;
    ASSERT_EQ(create.query_to(info), S_OK);
    ::SetErrorInfo(0, info.get());
}

TEST_F(BindingTest, TheErrorObjectIsUsedOnlyWhenTheObjectVouchesForIt) {
    for (const bool supported : {true, false}) {
        SCOPED_TRACE(supported);
        FakeDispatch* program = make();
        program->supportsErrorInfo = supported;
        program->add(L"Commands", [](DISPPARAMS&, VARIANT*, EXCEPINFO*) {
            raiseErrorInfo(L"Kein Teileprogramm geladen");
            return E_FAIL;
        });
        const Error e = failure([&] { wrap(program)->getObject(u"Commands"); });
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(E_FAIL));
        EXPECT_EQ(e.description() == u"Kein Teileprogramm geladen", supported);
        EXPECT_FALSE(e.description().empty());
        // Taken either way, so it cannot describe a later failure.
        win::com_ptr<IErrorInfo> stale;
        EXPECT_EQ(::GetErrorInfo(0, stale.put()), S_FALSE);
    }
}

TEST_F(BindingTest, CallFailuresNameTheRejectedArgumentAndFallBackToGermanTexts) {
    FakeDispatch* feature = make();
    feature->badArgument = 0;  // rgvarg[0]: the last argument
    feature->add(L"PutVector",
                 [](DISPPARAMS&, VARIANT*, EXCEPINFO*) { return DISP_E_TYPEMISMATCH; });
    const HostArg args[] = {1, 2, 0.0, 0.0, 0.0};
    const Error e = failure([&] { wrap(feature)->call(u"PutVector", args); });
    std::u16string text = expectedText(DISP_E_TYPEMISMATCH);
    ASSERT_EQ(text.back(), u'.');
    text.pop_back();
    EXPECT_EQ(e.description(), text + u" (Argument 5).");

    // Failures of the connection itself: the system's text, else the tool's German one.
    const HRESULT codes[] = {RPC_E_CALL_REJECTED,  RPC_E_SERVERCALL_RETRYLATER,
                             RPC_E_DISCONNECTED,   HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE),
                             CO_E_OBJNOTCONNECTED, static_cast<HRESULT>(0x8004FFF1)};
    for (const HRESULT hr : codes) {
        SCOPED_TRACE(hr);
        feature->add(L"GetVector", [hr](DISPPARAMS&, VARIANT*, EXCEPINFO*) { return hr; });
        const Error failed = failure([&] { wrap(feature)->call(u"GetVector", args); });
        EXPECT_EQ(failed.number(), static_cast<std::int32_t>(hr));
        const std::u16string system = win::u16(win::systemMessage(static_cast<DWORD>(hr)));
        const std::u16string_view table = toolMessage(hr);
        EXPECT_EQ(failed.description(), !system.empty()  ? system
                                        : !table.empty() ? std::u16string(table)
                                                         : std::u16string(kGenericMessage));
    }
    EXPECT_FALSE(toolMessage(RPC_E_CALL_REJECTED).empty());
    EXPECT_FALSE(toolMessage(CO_E_OBJNOTCONNECTED).empty());
}

}  // namespace
}  // namespace dravosk::host::test
