#include "sim/model.h"

#include <algorithm>

#include "core/error.h"
#include "core/text.h"
#include "sim/automation.h"

namespace dravosk::sim {

namespace {

Error hostException(std::u16string description, std::u16string_view member) {
    return Error(kException, std::move(description), std::u16string(member));
}

std::size_t dataSetIndex(std::int32_t code, std::u16string_view member) {
    const auto* it = std::find(kDataSetCodes.begin(), kDataSetCodes.end(), code);
    if (it == kDataSetCodes.end()) {
        throw hostException(u"Unbekannter Datensatz " + decimal(code) + u".", member);
    }
    return static_cast<std::size_t>(it - kDataSetCodes.begin());
}

std::int32_t intArg(const HostArg& arg, std::u16string_view member) {
    if (const auto* i = std::get_if<std::int32_t>(&arg)) {
        return *i;
    }
    throw turnedDown(kTypeMismatch, u"Typen unverträglich.", member);
}

double valueArg(const HostArg& arg, std::u16string_view member) {
    if (const auto* d = std::get_if<double>(&arg)) {
        return *d;
    }
    if (const auto* i = std::get_if<std::int32_t>(&arg)) {
        return *i;
    }
    throw turnedDown(kTypeMismatch, u"Typen unverträglich.", member);
}

double* refArg(const HostArg& arg, std::u16string_view member) {
    if (auto* const* p = std::get_if<double*>(&arg); p && *p) {
        return *p;
    }
    throw turnedDown(kTypeMismatch, u"Typen unverträglich: Double als Referenz erwartet.", member);
}

void checkKindAndCount(std::span<const HostArg> args, std::u16string_view member) {
    if (args.size() != 5) {
        throw turnedDown(kBadParamCount, u"Falsche Anzahl an Parametern.", member);
    }
    if (intArg(args[0], member) != 1) {
        throw hostException(u"Unbekannte Vektorart.", member);
    }
}

}  // namespace

std::string describe(const Call& call) {
    std::string out = toUtf8(call.member) + "(";
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        out += i ? ", " : "";
        if (const auto* n = std::get_if<std::int32_t>(&call.args[i])) {
            out += std::to_string(*n);
        } else if (const auto* d = std::get_if<double>(&call.args[i])) {
            out += number(*d, 17);
        } else {
            out += "&";
        }
    }
    return out + ")";
}

void Model::setActive(std::optional<PartProgram> program) {
    active_ = std::move(program);
    if (onChange) {
        onChange();
    }
}

bool Model::hasMember(Kind kind, std::u16string_view member) {
    switch (kind) {
        case Kind::application:
            return member == u"ActivePartProgram";
        case Kind::partProgram:
            return member == u"Commands";
        case Kind::commands:
            return member == u"_NewEnum";
        case Kind::command:
            return member == u"IsFeature" || member == u"FeatureCommand";
        case Kind::featureCommand:
            return member == u"ID" || member == u"GetVector" || member == u"PutVector";
    }
    return false;
}

bool Model::isMemberName(std::u16string_view member) {
    for (const Kind kind : {Kind::application, Kind::partProgram, Kind::commands, Kind::command,
                            Kind::featureCommand}) {
        if (hasMember(kind, member)) {
            return true;
        }
    }
    return false;
}

bool Model::isMissing(std::u16string_view member) const {
    return std::any_of(hooks_.begin(), hooks_.end(),
                       [member](const CallHook* hook) { return hook->hides(member); });
}

void Model::attach(CallHook& hook) {
    hooks_.push_back(&hook);
}

void Model::detach(CallHook& hook) {
    std::erase(hooks_, &hook);
}

void Model::enter(const ObjectRef& target, std::u16string_view member,
                  std::vector<RecordedArg> args) {
    const Call call{target, std::u16string(member), std::move(args)};
    for (CallHook* hook : hooks_) {
        hook->arrived(call);
    }
    if (member != u"CreateObject" && (!hasMember(target.kind, member) || isMissing(member))) {
        throw turnedDown(kUnknownName, u"Unbekannter Name.", member);
    }
    for (CallHook* hook : hooks_) {
        hook->admitted(member);
    }
}

ObjectRef Model::createApplication() {
    const ObjectRef app{Kind::application};
    enter(app, u"CreateObject", {});
    return app;
}

Command& Model::commandAt(const ObjectRef& target, std::u16string_view member) {
    if (!active_ || target.index >= active_->commands.size()) {
        throw hostException(u"Der Befehl existiert nicht mehr.", member);
    }
    return active_->commands[target.index];
}

Property Model::get(const ObjectRef& target, std::u16string_view member) {
    enter(target, member, {});
    switch (target.kind) {
        case Kind::application:
            return active_ ? Property{ObjectRef{Kind::partProgram}} : Property{Value{Nothing{}}};
        case Kind::partProgram:
            if (!active_) {
                throw hostException(u"Das Teileprogramm ist nicht mehr geöffnet.", member);
            }
            return ObjectRef{Kind::commands};
        case Kind::command: {
            Command& command = commandAt(target, member);
            if (member == u"IsFeature") {
                return command.isFeature;
            }
            return ObjectRef{Kind::featureCommand, target.index};
        }
        case Kind::featureCommand:
            return commandAt(target, member).id;
        case Kind::commands:
            break;
    }
    throw turnedDown(kMemberNotFound, u"Mitglied nicht gefunden.", member);
}

std::size_t Model::beginEnumeration(const ObjectRef& target) {
    enter(target, u"_NewEnum", {});
    return active_ ? active_->commands.size() : 0;
}

void Model::call(const ObjectRef& target, std::u16string_view member,
                 std::span<const HostArg> args) {
    std::vector<RecordedArg> recorded;
    for (const HostArg& arg : args) {
        if (const auto* i = std::get_if<std::int32_t>(&arg)) {
            recorded.emplace_back(*i);
        } else if (const auto* d = std::get_if<double>(&arg)) {
            recorded.emplace_back(*d);
        } else {
            recorded.emplace_back(ByRef{});
        }
    }
    enter(target, member, std::move(recorded));
    if (target.kind != Kind::featureCommand || member == u"ID") {
        throw turnedDown(kMemberNotFound, u"Mitglied nicht gefunden.", member);
    }
    Command& command = commandAt(target, member);
    if (member == u"GetVector") {
        getVector(command, args);
    } else {
        putVector(command, args);
    }
    for (CallHook* hook : hooks_) {
        hook->carriedOut(member);
    }
}

void Model::getVector(Command& command, std::span<const HostArg> args) {
    constexpr std::u16string_view member = u"GetVector";
    checkKindAndCount(args, member);
    const Vector& v = command.vectors[dataSetIndex(intArg(args[1], member), member)];
    double* x = refArg(args[2], member);
    double* y = refArg(args[3], member);
    double* z = refArg(args[4], member);
    bool fills = true;
    for (CallHook* hook : hooks_) {
        fills = hook->fillsVector() && fills;  // every hook counts the call
    }
    if (!fills) {
        return;  // a faulty host: success, but nothing written
    }
    *x = v[0];
    *y = v[1];
    *z = v[2];
}

void Model::putVector(Command& command, std::span<const HostArg> args) {
    constexpr std::u16string_view member = u"PutVector";
    checkKindAndCount(args, member);
    Vector& v = command.vectors[dataSetIndex(intArg(args[1], member), member)];
    v = {valueArg(args[2], member), valueArg(args[3], member), valueArg(args[4], member)};
    if (onChange) {
        onChange();
    }
}

}  // namespace dravosk::sim
