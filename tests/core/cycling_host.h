// A host whose command collection never ends: it hands out the same commands again and again, as
// a collection that cycles does. Its objects are the same host objects lap after lap (a host that
// keeps its objects), or new ones each time they are asked for. Counts its vector calls.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/host.h"
#include "sim/automation.h"

namespace dravosk::test {

class CyclingHost final : public AutomationService {
  public:
    // One lap of the collection: a feature's identifier, or nullopt for a command that is none.
    enum class Objects { kept, fresh };
    explicit CyclingHost(std::vector<std::optional<std::u16string>> lap,
                         Objects objects = Objects::kept)
        : lap_(std::move(lap)), objects_(objects) {}

    HostObjectPtr createObject(std::u16string_view) override {
        return std::make_unique<Object>(*this, Kind::application, 0);
    }

    std::size_t getVectors = 0;
    std::size_t putVectors = 0;

  private:
    enum class Kind { application, partProgram, commands, command, feature };

    class Object final : public HostObject {
      public:
        Object(CyclingHost& host, Kind kind, std::size_t index)
            : host_(host),
              kind_(kind),
              index_(index),
              identity_(host.objects_ == Objects::fresh
                            ? ++host.handedOut_
                            : index * 8 + static_cast<HostIdentity>(kind)) {}

        HostObjectPtr getObject(std::u16string_view member) override {
            if (kind_ == Kind::application && member == u"ActivePartProgram") {
                return make(Kind::partProgram);
            }
            if (kind_ == Kind::partProgram && member == u"Commands") {
                return make(Kind::commands);
            }
            if (kind_ == Kind::command && member == u"FeatureCommand") {
                return make(Kind::feature);
            }
            throw unknown(member);
        }
        bool getBool(std::u16string_view member) override {
            if (kind_ != Kind::command || member != u"IsFeature") {
                throw unknown(member);
            }
            return host_.lap_[index_].has_value();
        }
        std::u16string getText(std::u16string_view member) override {
            if (kind_ != Kind::feature || member != u"ID") {
                throw unknown(member);
            }
            return *host_.lap_[index_];
        }
        void call(std::u16string_view member, std::span<const HostArg> args) override {
            if (kind_ == Kind::feature && member == u"GetVector") {
                ++host_.getVectors;
                for (std::size_t i = 2; i < args.size(); ++i) {
                    *std::get<double*>(args[i]) = static_cast<double>(i);
                }
            } else if (kind_ == Kind::feature && member == u"PutVector") {
                ++host_.putVectors;
            } else {
                throw unknown(member);
            }
        }
        HostEnumeratorPtr enumerate() override;
        HostIdentity identity() override { return identity_; }

      private:
        HostObjectPtr make(Kind kind) const {
            return std::make_unique<Object>(host_, kind, index_);
        }
        static Error unknown(std::u16string_view member) {
            return Error(sim::kUnknownName, u"Unbekannter Name.", std::u16string(member));
        }

        CyclingHost& host_;
        Kind kind_;
        std::size_t index_;
        HostIdentity identity_;
    };

    class Enumerator final : public HostEnumerator {
      public:
        explicit Enumerator(CyclingHost& host) : host_(host) {}
        HostObjectPtr next() override {
            const std::size_t index = next_;
            next_ = (next_ + 1) % host_.lap_.size();
            return std::make_unique<Object>(host_, Kind::command, index);
        }

      private:
        CyclingHost& host_;
        std::size_t next_ = 0;
    };

    std::vector<std::optional<std::u16string>> lap_;
    Objects objects_;
    HostIdentity handedOut_ = 0;
};

inline HostEnumeratorPtr CyclingHost::Object::enumerate() {
    if (kind_ != Kind::commands) {
        throw unknown(u"_NewEnum");
    }
    return std::make_unique<Enumerator>(host_);
}

}  // namespace dravosk::test
