#include "sim/server/host_objects.h"

#include <vector>

#include "sim/server/command_enumerator.h"
#include "sim/server/served_object.h"

namespace dravosk::sim::server {

namespace {

class ApplicationObject final : public ServedObject {
  public:
    ApplicationObject(ServerState& state, ObjectRef ref) : ServedObject(state, ref, kMembers) {}

  private:
    static constexpr Member kMembers[] = {{u"ActivePartProgram", 1, Form::property}};

    void run(const Member& member, const Arguments&, VARIANT* result) override {
        getProperty(member, result);
    }
};

class PartProgramObject final : public ServedObject {
  public:
    PartProgramObject(ServerState& state, ObjectRef ref) : ServedObject(state, ref, kMembers) {}

  private:
    static constexpr Member kMembers[] = {{u"Commands", 1, Form::property}};

    void run(const Member& member, const Arguments&, VARIANT* result) override {
        getProperty(member, result);
    }
};

class CommandsObject final : public ServedObject {
  public:
    CommandsObject(ServerState& state, ObjectRef ref) : ServedObject(state, ref, kMembers) {}

  private:
    static constexpr Member kMembers[] = {{u"_NewEnum", DISPID_NEWENUM, Form::enumerator}};

    void run(const Member&, const Arguments&, VARIANT* result) override {
        const std::size_t count = state_.model().beginEnumeration(ref_);
        V_VT(result) = VT_UNKNOWN;
        V_UNKNOWN(result) = new CommandEnumerator(state_, count);
    }
};

class CommandObject final : public ServedObject {
  public:
    CommandObject(ServerState& state, ObjectRef ref) : ServedObject(state, ref, kMembers) {}

  private:
    static constexpr Member kMembers[] = {{u"IsFeature", 1, Form::property},
                                          {u"FeatureCommand", 2, Form::property}};

    void run(const Member& member, const Arguments&, VARIANT* result) override {
        getProperty(member, result);
    }
};

class FeatureCommandObject final : public ServedObject {
  public:
    FeatureCommandObject(ServerState& state, ObjectRef ref) : ServedObject(state, ref, kMembers) {}

  private:
    static constexpr DISPID kId = 1;
    static constexpr DISPID kGetVector = 2;
    static constexpr DISPID kPutVector = 3;
    static constexpr Member kMembers[] = {{u"ID", kId, Form::property},
                                          {u"GetVector", kGetVector, Form::method},
                                          {u"PutVector", kPutVector, Form::method}};

    void run(const Member& member, const Arguments& args, VARIANT*) override;
};

// GetVector(kind, code, &x, &y, &z) and PutVector(kind, code, x, y, z). The model checks the
// count and the values; an argument of the wrong type is refused here, as the dispatch layer does.
void FeatureCommandObject::run(const Member& member, const Arguments& args, VARIANT* result) {
    if (member.id == kId) {
        getProperty(member, result);
        return;
    }
    std::vector<HostArg> hostArgs;
    for (std::size_t i = 0; i < args.count(); ++i) {
        if (i < 2) {
            hostArgs.emplace_back(args.int32(i));
        } else if (member.id == kGetVector && i < 5) {
            hostArgs.emplace_back(args.realRef(i));
        } else {
            hostArgs.emplace_back(args.real(i));
        }
    }
    state_.model().call(ref_, member.name, hostArgs);
}

}  // namespace

IDispatch* newHostObject(ServerState& state, const ObjectRef& ref) {
    switch (ref.kind) {
        case Kind::application:
            return new ApplicationObject(state, ref);
        case Kind::partProgram:
            return new PartProgramObject(state, ref);
        case Kind::commands:
            return new CommandsObject(state, ref);
        case Kind::command:
            return new CommandObject(state, ref);
        case Kind::featureCommand:
            return new FeatureCommandObject(state, ref);
    }
    throw std::bad_alloc();  // not reached: every kind is handled above
}

void propertyToVariant(ServerState& state, const Property& property, VARIANT* out) {
    if (const auto* ref = std::get_if<ObjectRef>(&property)) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = newHostObject(state, *ref);
        return;
    }
    valueToVariant(std::get<Value>(property), out);
}

}  // namespace dravosk::sim::server
