#include "core/write_record.h"

namespace dravosk {

namespace {

// True only for the failures of a call that certainly did not change the host: it never left this
// program (COM not ready on this thread, a call out not allowed here, the arguments could not be
// marshalled, the proxy no longer connected), the host refused it without running it (busy), its
// automation layer turned it down before the method ran (unknown name or member, wrong arguments),
// or the host answered it with an exception of its own (DISP_E_EXCEPTION, or a code of the
// control facility 0x800A.... under which an exception's wCode is reported). `number` is the
// number as reported, so an exception the host raised with an scode of its own counts by that
// scode. Every other failure (a cancelled call, a broken or timed-out connection, a fault in the
// server, out of memory, anything unknown) may have come after the host carried the call out.
bool certainlyNotRun(std::int32_t number) noexcept {
    const auto code = static_cast<std::uint32_t>(number);
    // An exception the host raised with an application code (EXCEPINFO::wCode) is reported under
    // FACILITY_CONTROL; the platform's own failures never use that facility.
    if ((code & 0xFFFF0000u) == 0x800A0000u) {
        return true;
    }
    switch (code) {
        // The host's message filter refused the call; it was not run.
        case 0x80010001u:  // RPC_E_CALL_REJECTED
        case 0x8001010Au:  // RPC_E_SERVERCALL_RETRYLATER
        // The call never left this program.
        case 0x80010003u:  // RPC_E_CANTPOST_INSENDCALL
        case 0x80010004u:  // RPC_E_CANTCALLOUT_INASYNCCALL
        case 0x80010005u:  // RPC_E_CANTCALLOUT_INEXTERNALCALL
        case 0x8001010Du:  // RPC_E_CANTCALLOUT_ININPUTSYNCCALL
        case 0x80010011u:  // RPC_E_CANTCALLOUT_AGAIN
        case 0x8001010Eu:  // RPC_E_WRONG_THREAD
        case 0x8001000Bu:  // RPC_E_CLIENT_CANTMARSHAL_DATA
        case 0x800401F0u:  // CO_E_NOTINITIALIZED
        case 0x800401FDu:  // CO_E_OBJNOTCONNECTED: the proxy was cut off before the call
        case 0x80010012u:  // RPC_E_SERVER_DIED_DNE: "the call did not execute"
        // The host's automation layer turned the call down before the method ran.
        case 0x80020001u:  // DISP_E_UNKNOWNINTERFACE
        case 0x80020003u:  // DISP_E_MEMBERNOTFOUND
        case 0x80020004u:  // DISP_E_PARAMNOTFOUND
        case 0x80020005u:  // DISP_E_TYPEMISMATCH
        case 0x80020006u:  // DISP_E_UNKNOWNNAME
        case 0x80020007u:  // DISP_E_NONAMEDARGS
        case 0x80020008u:  // DISP_E_BADVARTYPE
        case 0x8002000Au:  // DISP_E_OVERFLOW
        case 0x8002000Bu:  // DISP_E_BADINDEX
        case 0x8002000Cu:  // DISP_E_UNKNOWNLCID
        case 0x8002000Du:  // DISP_E_ARRAYISLOCKED
        case 0x8002000Eu:  // DISP_E_BADPARAMCOUNT
        case 0x8002000Fu:  // DISP_E_PARAMNOTOPTIONAL
        case 0x80020011u:  // DISP_E_NOTACOLLECTION
        // The host answered with an exception of its own: the call failed on its side.
        case 0x80020009u:  // DISP_E_EXCEPTION
            return true;
        default:
            return false;
    }
}

// Appends within the room taken beforehand; false (and nothing changed) when there is none.
bool appendWithinRoom(std::vector<std::int32_t>& to, std::int32_t dataSet) noexcept {
    if (to.size() == to.capacity()) {
        return false;
    }
    to.push_back(dataSet);  // cannot allocate, so cannot throw
    return true;
}

}  // namespace

void WriteRecord::startFeature(std::u16string id) {
    Feature feature{std::move(id), {}, {}};
    feature.reversed.reserve(kPutsPerFeature);
    feature.uncertain.reserve(kPutsPerFeature);
    features_.push_back(std::move(feature));
    pending_.reset();
}

void WriteRecord::putStarted(std::int32_t dataSet) noexcept {
    pending_ = dataSet;
}

void WriteRecord::putSucceeded() noexcept {
    if (pending_ && !features_.empty() && appendWithinRoom(features_.back().reversed, *pending_)) {
        pending_.reset();
    }
}

void WriteRecord::putFailed(std::int32_t number) noexcept {
    if (!pending_ || features_.empty()) {
        return;
    }
    if (certainlyNotRun(number) || appendWithinRoom(features_.back().uncertain, *pending_)) {
        pending_.reset();
    }
}

std::optional<std::int32_t> WriteRecord::inFlight() const noexcept {
    return features_.empty() ? std::nullopt : pending_;
}

}  // namespace dravosk
