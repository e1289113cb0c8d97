#include "sim/memory_host.h"

#include "core/error.h"
#include "sim/automation.h"
#include "sim/coercion.h"

namespace dravosk::sim {

namespace {

// Runs `call` as one call out to the host named `member`, telling `observer` (if any) when it
// starts and ends.
template <class F>
decltype(auto) outgoing(CallObserver* observer, std::u16string_view member, F&& call) {
    struct Ended {
        CallObserver* observer;
        ~Ended() {
            if (observer) {
                observer->callEnded();
            }
        }
    };
    if (observer) {
        observer->callStarted(member);
    }
    const Ended ended{observer};
    return call();
}

// What every object of the in-memory host shares.
struct Context {
    Model& model;
    Recorder* recorder;      // may be null
    CallObserver* observer;  // may be null
};

// Counts itself in the recorder's live objects for as long as it exists, and tells the observer
// of its calls.
class Counted {
  public:
    explicit Counted(const Context& context) : context_(context) {
        if (context_.recorder) {
            context_.recorder->objectCreated();
        }
    }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
    ~Counted() {
        if (context_.recorder) {
            context_.recorder->objectReleased();
        }
    }

  protected:
    // Runs `call` as one call out to the host named `member`.
    template <class F>
    decltype(auto) out(std::u16string_view member, F&& call) {
        return outgoing(context_.observer, member, std::forward<F>(call));
    }

    Context context_;
};

class MemoryObject final : public HostObject, private Counted {
  public:
    MemoryObject(const Context& context, ObjectRef ref) : Counted(context), ref_(ref) {}

    HostObjectPtr getObject(std::u16string_view member) override {
        Property property = out(member, [&] { return context_.model.get(ref_, member); });
        if (const auto* object = std::get_if<ObjectRef>(&property)) {
            return std::make_unique<MemoryObject>(context_, *object);
        }
        const Value& value = std::get<Value>(property);
        if (std::holds_alternative<std::monostate>(value) || std::holds_alternative<Null>(value) ||
            std::holds_alternative<Nothing>(value)) {
            return nullptr;
        }
        throw turnedDown(kTypeMismatch, u"Typen unverträglich: Objekt erwartet.", member);
    }

    bool getBool(std::u16string_view member) override { return toBool(value(member), member); }
    std::u16string getText(std::u16string_view member) override {
        return toText(value(member), member);
    }

    void call(std::u16string_view member, std::span<const HostArg> args) override {
        out(member, [&] { context_.model.call(ref_, member, args); });
    }

    HostEnumeratorPtr enumerate() override;

    // The model's object this one stands for: every object handed out for the same command's
    // feature is the same host object, as a host that keeps its objects hands out.
    HostIdentity identity() override {
        return static_cast<HostIdentity>(ref_.index) * 8 + static_cast<HostIdentity>(ref_.kind);
    }

  private:
    Value value(std::u16string_view member) {
        Property property = out(member, [&] { return context_.model.get(ref_, member); });
        if (std::holds_alternative<ObjectRef>(property)) {
            throw turnedDown(kTypeMismatch, u"Typen unverträglich: Wert erwartet, Objekt erhalten.",
                             member);
        }
        return std::get<Value>(std::move(property));
    }

    ObjectRef ref_;
};

class MemoryEnumerator final : public HostEnumerator, private Counted {
  public:
    MemoryEnumerator(const Context& context, std::size_t count) : Counted(context), count_(count) {}

    HostObjectPtr next() override {
        return out(u"IEnumVARIANT::Next", [&]() -> HostObjectPtr {
            if (next_ >= count_) {
                return nullptr;
            }
            return std::make_unique<MemoryObject>(context_, ObjectRef{Kind::command, next_++});
        });
    }

  private:
    std::size_t count_;
    std::size_t next_ = 0;
};

HostEnumeratorPtr MemoryObject::enumerate() {
    const std::size_t count =
        out(u"_NewEnum", [&] { return context_.model.beginEnumeration(ref_); });
    return std::make_unique<MemoryEnumerator>(context_, count);
}

}  // namespace

HostObjectPtr MemoryHost::createObject(std::u16string_view progId) {
    if (progId != kHostProgId) {
        throw Error(kBadProgId, u"Ungültige Klassenzeichenfolge.",
                    u"CreateObject(\"" + std::u16string(progId) + u"\")");
    }
    // Named as the model names it in its errors.
    const ObjectRef application =
        outgoing(observer_, u"CreateObject", [&] { return model_.createApplication(); });
    return std::make_unique<MemoryObject>(Context{model_, recorder_, observer_}, application);
}

}  // namespace dravosk::sim
