#include "sim/memory_host.h"

#include "core/error.h"
#include "sim/coercion.h"

namespace dravosk::sim {

namespace {

// Counts itself in the model's live objects for as long as it exists.
class Counted {
  public:
    explicit Counted(Model& model) : model_(model) { model_.objectCreated(); }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
    ~Counted() { model_.objectReleased(); }

  protected:
    Model& model_;
};

class MemoryObject final : public HostObject, private Counted {
  public:
    MemoryObject(Model& model, ObjectRef ref) : Counted(model), ref_(ref) {}

    HostObjectPtr getObject(std::u16string_view member) override {
        Property property = model_.get(ref_, member);
        if (const auto* object = std::get_if<ObjectRef>(&property)) {
            return std::make_unique<MemoryObject>(model_, *object);
        }
        const Value& value = std::get<Value>(property);
        if (std::holds_alternative<std::monostate>(value) || std::holds_alternative<Null>(value) ||
            std::holds_alternative<Nothing>(value)) {
            return nullptr;
        }
        throw Error(errnum::kTypeMismatch, u"Typen unverträglich: Objekt erwartet.",
                    std::u16string(member));
    }

    bool getBool(std::u16string_view member) override { return toBool(value(member), member); }
    std::u16string getText(std::u16string_view member) override {
        return toText(value(member), member);
    }

    void call(std::u16string_view member, std::span<const HostArg> args) override {
        model_.call(ref_, member, args);
    }

    HostEnumeratorPtr enumerate() override;

  private:
    Value value(std::u16string_view member) {
        Property property = model_.get(ref_, member);
        if (std::holds_alternative<ObjectRef>(property)) {
            throw Error(errnum::kTypeMismatch,
                        u"Typen unverträglich: Wert erwartet, Objekt erhalten.",
                        std::u16string(member));
        }
        return std::get<Value>(std::move(property));
    }

    ObjectRef ref_;
};

class MemoryEnumerator final : public HostEnumerator, private Counted {
  public:
    MemoryEnumerator(Model& model, std::size_t count) : Counted(model), count_(count) {}

    HostObjectPtr next() override {
        if (next_ >= count_) {
            return nullptr;
        }
        return std::make_unique<MemoryObject>(model_, ObjectRef{Kind::command, next_++});
    }

  private:
    std::size_t count_;
    std::size_t next_ = 0;
};

HostEnumeratorPtr MemoryObject::enumerate() {
    return std::make_unique<MemoryEnumerator>(model_, model_.beginEnumeration(ref_));
}

}  // namespace

HostObjectPtr MemoryHost::createObject(std::u16string_view progId) {
    if (progId != kHostProgId) {
        throw Error(errnum::kBadProgId, u"Ungültige Klassenzeichenfolge.",
                    u"CreateObject(\"" + std::u16string(progId) + u"\")");
    }
    return std::make_unique<MemoryObject>(model_, model_.createApplication());
}

}  // namespace dravosk::sim
