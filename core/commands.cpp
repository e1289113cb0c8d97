#include "core/commands.h"

#include "core/error.h"
#include "core/text.h"

namespace dravosk {

void FeatureList::append(std::u16string_view text) {
    if (count() >= kInt16Max) {
        throw Error(errnum::kListFull,
                    u"Die Liste fasst höchstens 32.767 Merkmale; das Teileprogramm hat mehr.",
                    u"Liste füllen");
    }
    doAppend(text);
}

namespace {

void setAllMarks(FeatureList& list, bool marked) {
    const Int16 last = checkedSub(list.count(), 1);
    for (Int16 index = 0; index <= last; index = checkedAdd(index, 1)) {
        list.setMarked(index, marked);
    }
}

HostObjectPtr required(HostObjectPtr object, std::int32_t number, std::u16string description,
                       std::u16string where) {
    if (!object) {
        throw Error(number, std::move(description), std::move(where));
    }
    return object;
}

}  // namespace

void markAll(FeatureList& list) {
    setAllMarks(list, true);
}
void unmarkAll(FeatureList& list) {
    setAllMarks(list, false);
}

HostContext::HostContext(AutomationService& service) {
    application_ = required(service.createObject(kHostProgId), errnum::kNotAnObject,
                            u"Das Korvane-Anwendungsobjekt konnte nicht erzeugt werden.",
                            u"CreateObject(\"KORVAN.Application\")");
    partProgram_ =
        required(application_->getObject(u"ActivePartProgram"), errnum::kNoActivePartProgram,
                 u"In Korvane ist kein Teileprogramm geöffnet (kein aktives Teileprogramm).",
                 u"ActivePartProgram");
    commands_ = required(partProgram_->getObject(u"Commands"), errnum::kNotAnObject,
                         u"Das aktive Teileprogramm lieferte keine Befehlsliste.", u"Commands");
}

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

void cmd_lesen_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                     CommandProgress& progress) {
    HostContext host(service);
    HostEnumeratorPtr commands = host.commands().enumerate();
    // Only now that the host answered may the old list go.
    list.clear();
    forEachFeature(*commands, progress, [&](HostObjectPtr&, const std::u16string& id) {
        if (!id.empty()) {  // exact: a text of blanks is listed
            list.append(id);
        }
    });
    states.setEnabled(Button::schreiben, true);
    states.setEnabled(Button::allemarkieren, true);
    states.setEnabled(Button::alledemarkieren, true);
}

}  // namespace dravosk
