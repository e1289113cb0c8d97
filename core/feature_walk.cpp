#include "core/feature_walk.h"

#include "core/error.h"
#include "core/text.h"

namespace dravosk {

void forEachFeature(
    HostEnumerator& commands, CommandProgress& progress,
    const std::function<void(HostObjectPtr& feature, const std::u16string& id)>& onFeature) {
    std::size_t position = 0;
    for (;;) {
        ++position;
        const CommandProgress::Step step(progress, u"Befehl " + decimal(position));
        try {
            HostObjectPtr command = commands.next();
            if (!command) {
                return;
            }
            if (position > kMaxCommands) {
                throw Error(errnum::kTooManyCommands,
                            u"Die Befehlsliste des Teileprogramms endet nicht: Korvane lieferte "
                            u"mehr als " +
                                decimal(kMaxCommands) + u" Befehle.");
            }
            if (!command->getBool(u"IsFeature")) {
                continue;
            }
            HostObjectPtr feature = command->getObject(u"FeatureCommand");
            if (!feature) {
                throw Error(errnum::kNotAnObject,
                            u"Der Befehl ist ein Merkmal, lieferte aber kein Merkmalsobjekt.",
                            u"FeatureCommand");
            }
            const std::u16string id = feature->getText(u"ID");
            onFeature(feature, id);
        } catch (Error& e) {
            progress.name(e);  // the one place the steps of Read and Write name an error
            throw;
        }
    }
}

void forEachFeature(
    HostEnumerator& commands,
    const std::function<void(HostObjectPtr& feature, const std::u16string& id)>& onFeature) {
    CommandProgress progress;
    forEachFeature(commands, progress, onFeature);
}

}  // namespace dravosk
