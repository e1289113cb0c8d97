#include "core/host_context.h"

#include "core/error.h"

namespace dravosk {

namespace {

HostObjectPtr required(HostObjectPtr object, std::int32_t number, std::u16string description,
                       std::u16string where) {
    if (!object) {
        throw Error(number, std::move(description), std::move(where));
    }
    return object;
}

}  // namespace

HostContext::HostContext(AutomationService& service) {
    application_ = required(service.createObject(kHostProgId), errnum::kNotAnObject,
                            u"Das Korvane-Anwendungsobjekt konnte nicht erzeugt werden.",
                            u"CreateObject(\"KORVAN.Application\")");
    partProgram_ =
        required(application_->getObject(u"ActivePartProgram"), errnum::kNoActivePartProgram,
                 u"In Korvane ist kein Teileprogramm geöffnet (kein aktives Teileprogramm). " +
                     std::u16string(kElevationHint),
                 u"ActivePartProgram");
    commands_ = required(partProgram_->getObject(u"Commands"), errnum::kNotAnObject,
                         u"Das aktive Teileprogramm lieferte keine Befehlsliste.", u"Commands");
}

}  // namespace dravosk
