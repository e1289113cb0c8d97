#include "host/com_error.h"
#include "win/text.h"
#include "win/com.h"
#include "tests/host/binding_fixture.h"

namespace dravosk::host::test {
namespace {

// The tool's own text for `hr`, as the operator must read it where the system has none.
std::u16string germanText(HRESULT hr) {
    switch (hr) {
        case CO_E_CLASSSTRING:
            return u"Die Programmkennung ist nicht registriert (ungültige Klassenzeichenfolge). "
                   u"Ist Korvane auf diesem Rechner installiert?";
        case DISP_E_UNKNOWNNAME:
            return u"Unbekannter Name: Das Objekt hat kein Element dieses Namens.";
        case DISP_E_TYPEMISMATCH:
            return u"Typen unverträglich.";
        case DISP_E_EXCEPTION:
            return u"Der Automatisierungsserver hat einen Fehler ohne Beschreibung gemeldet.";
        case RPC_E_CALL_REJECTED:
        case RPC_E_SERVERCALL_RETRYLATER:
            return u"Der Automatisierungsserver hat den Aufruf abgelehnt oder ist beschäftigt (ist "
                   u"in Korvane ein Dialog offen?).";
        case RPC_E_DISCONNECTED:
        case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
        case CO_E_OBJNOTCONNECTED:
            return u"Der Automatisierungsserver ist nicht verfügbar oder die Verbindung zu ihm "
                   u"wurde getrennt (wurde Korvane beendet?).";
        default:
            return u"Unbekannter Fehler bei einem Aufruf der Automatisierungsschnittstelle.";
    }
}

// What the operator reads for `hr` when nothing more specific is on offer: the system's text where
// it has one (Windows), else the tool's own (Wine has none for the OLE codes).
std::u16string expectedText(HRESULT hr) {
    const std::u16string system = win::u16(win::systemMessage(static_cast<DWORD>(hr)));
    return system.empty() ? germanText(hr) : system;
}

TEST_F(BindingTest, AnUnknownProgramIdentifierGivesItsNumberAndAGermanText) {
    ComAutomationService service;
    const Error e = failure([&] { service.createObject(u"Dravosk.GibtEsNicht"); });
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x800401F3));
    EXPECT_EQ(e.where(), u"CreateObject(\"Dravosk.GibtEsNicht\")");
    // The report adds the hint that an elevated program may not see a registration made for the
    // user alone (tests/ui).
    EXPECT_EQ(e.description(), expectedText(CO_E_CLASSSTRING));

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
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, info.put_void()), S_OK);
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
        EXPECT_EQ(failed.description(), expectedText(hr));
    }
}

// Whether a failed call certainly did not run is what the HRESULT the call returned says, not
// the number reported: a host's exception may come after it wrote, whatever code it carries. A
// call given up on may still be carried out. Everything else may have run.
TEST_F(BindingTest, AFailedCallSaysWhetherTheHostCertainlyDidNotRunIt) {
    const std::uint32_t unknown[] = {
        0x80010105u,  // RPC_E_SERVERFAULT
        0x80010007u,  // RPC_E_SERVER_DIED
        0x80010006u,  // RPC_E_CONNECTION_TERMINATED
        0x800706BEu,  // the remote procedure call failed
        0x8007000Eu,  // E_OUTOFMEMORY
        0x80004005u,  // E_FAIL
        0x80020009u,  // DISP_E_EXCEPTION
    };
    const std::uint32_t notRun[] = {
        0x80010001u,  // RPC_E_CALL_REJECTED
        0x8001010Au,  // RPC_E_SERVERCALL_RETRYLATER
        0x80010012u,  // RPC_E_SERVER_DIED_DNE
        0x800401FDu,  // CO_E_OBJNOTCONNECTED
        0x8001010Du,  // RPC_E_CANTCALLOUT_ININPUTSYNCCALL
        0x80020003u,  // DISP_E_MEMBERNOTFOUND
        0x8002000Eu,  // DISP_E_BADPARAMCOUNT
    };
    const std::uint32_t givenUp[] = {
        0x8001011Fu,  // RPC_E_TIMEOUT
        0x80010002u,  // RPC_E_CALL_CANCELED
    };
    const HostArg args[] = {1, 2, 0.0, 0.0, 0.0};
    FakeDispatch* feature = make();
    const auto outcome = [&](std::uint32_t number) {
        feature->add(L"PutVector", [number](DISPPARAMS&, VARIANT*, EXCEPINFO*) {
            return static_cast<HRESULT>(number);
        });
        return failure([&] { wrap(feature)->call(u"PutVector", args); }).outcome();
    };
    for (const std::uint32_t number : unknown) {
        EXPECT_EQ(outcome(number), CallOutcome::unknown) << number;
    }
    for (const std::uint32_t number : notRun) {
        EXPECT_EQ(outcome(number), CallOutcome::notRun) << number;
    }
    for (const std::uint32_t number : givenUp) {
        EXPECT_EQ(outcome(number), CallOutcome::givenUp) << number;
    }
    // A host's exception that carries a number of the automation layer, or of the tool's own
    // range, or its own code, has still run.
    for (const std::uint32_t scode : {0x80020005u, 0x80020003u, 0xA0040001u, 0x800A03ECu}) {
        feature->add(L"PutVector", [scode](DISPPARAMS&, VARIANT*, EXCEPINFO* e) {
            e->scode = static_cast<SCODE>(scode);
            return DISP_E_EXCEPTION;
        });
        const Error e = failure([&] { wrap(feature)->call(u"PutVector", args); });
        EXPECT_EQ(static_cast<std::uint32_t>(e.number()), scode);
        EXPECT_EQ(e.outcome(), CallOutcome::unknown) << scode;
    }
}

}  // namespace
}  // namespace dravosk::host::test
