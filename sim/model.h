// The stand-in host's model: a part program of commands, offering the host's members by name with
// the host's argument forms. The in-memory binding (tests) and the COM server (demos, tests under
// Wine) both call into it. What tests need beyond the host's behaviour (call records, injected
// faults: sim/recorder.h, sim/faults.h) hooks into every call through CallHook.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/host.h"

namespace dravosk::sim {

struct Null {
    bool operator==(const Null&) const = default;
};
struct Nothing {  // a null object reference
    bool operator==(const Nothing&) const = default;
};
// The value types the stand-in produces; std::monostate is the empty value.
using Value = std::variant<std::monostate, Null, Nothing, bool, std::int16_t, std::int32_t, double,
                           std::u16string>;

using Vector = std::array<double, 3>;
inline constexpr std::array<std::int32_t, 3> kDataSetCodes = {2, 3, 27};

struct Command {
    Value isFeature;
    Value id;
    std::array<Vector, 3> vectors{};  // by data set, in the order of kDataSetCodes
    std::u16string label;             // what a non-feature command is, for the server's window
};

struct PartProgram {
    std::u16string name;
    std::vector<Command> commands;
};

enum class Kind { application, partProgram, commands, command, featureCommand };

struct ObjectRef {
    Kind kind;
    std::size_t index = 0;  // the command, for command and feature command objects
};

// What a property read gives: a plain value or an object.
using Property = std::variant<Value, ObjectRef>;

// One recorded call. Arguments by reference are recorded as ByRef.
struct ByRef {
    bool operator==(const ByRef&) const = default;
};
using RecordedArg = std::variant<std::int32_t, double, ByRef>;
struct Call {
    ObjectRef target;
    std::u16string member;
    std::vector<RecordedArg> args;
};
// "GetVector(1, 2, &, &, &)", "PutVector(1, 2, -0, -1, -0)": signed zeros and all digits shown.
std::string describe(const Call& call);

// Told of every call as it comes in, in this order: arrived (also for a name the host does not
// know), then, once the name is known, admitted, which may raise dravosk::Error as the host
// would; a GetVector then asks whether it fills its arguments; a method that has done its work
// ends with carriedOut.
class CallHook {
  public:
    virtual ~CallHook() = default;
    virtual void arrived(const Call&) {}
    // True makes the member unknown by name.
    virtual bool hides(std::u16string_view /*member*/) const { return false; }
    virtual void admitted(std::u16string_view /*member*/) {}
    // False leaves GetVector's arguments as they are, while it still reports success.
    virtual bool fillsVector() { return true; }
    // A method has done its work (a PutVector has changed the vector); may still raise
    // dravosk::Error as a host that fails afterwards would.
    virtual void carriedOut(std::u16string_view /*member*/) {}
};

class Model {
  public:
    Model() = default;
    explicit Model(std::optional<PartProgram> active) : active_(std::move(active)) {}
    // Hooks hold on to the model they are attached to.
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // The active part program, or nullptr when none is open.
    PartProgram* active() { return active_ ? &*active_ : nullptr; }
    const PartProgram* active() const { return active_ ? &*active_ : nullptr; }
    void setActive(std::optional<PartProgram> program);

    // Members by name. Each raises dravosk::Error as the host would: unknown member, wrong
    // arguments, or whatever a hook raises.
    static bool hasMember(Kind kind, std::u16string_view member);
    // Whether any object kind has `member`.
    static bool isMemberName(std::u16string_view member);
    // Whether a hook has taken `member` away.
    bool isMissing(std::u16string_view member) const;
    Property get(const ObjectRef& target, std::u16string_view member);
    void call(const ObjectRef& target, std::u16string_view member, std::span<const HostArg> args);
    // The command collection's enumeration: "_NewEnum" is recorded and checked here; the items are
    // ObjectRef{command, 0..count-1}.
    std::size_t beginEnumeration(const ObjectRef& target);
    // Creating the application object; recorded as "CreateObject".
    ObjectRef createApplication();

    // Hooks are told of calls in the order they were attached; each must be detached before it
    // goes.
    void attach(CallHook& hook);
    void detach(CallHook& hook);

    // Called after every change of a vector.
    std::function<void()> onChange;

  private:
    void enter(const ObjectRef& target, std::u16string_view member, std::vector<RecordedArg> args);
    Command& commandAt(const ObjectRef& target, std::u16string_view member);
    void getVector(Command& command, std::span<const HostArg> args);
    void putVector(Command& command, std::span<const HostArg> args);

    std::optional<PartProgram> active_;
    std::vector<CallHook*> hooks_;
};

}  // namespace dravosk::sim
