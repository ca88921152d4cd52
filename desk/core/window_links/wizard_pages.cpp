#include "desk/core/window_links/wizard_pages.h"

#include "desk/core/global.h"

namespace velt::desk {

namespace {

// The do-nothing pages hold no state.
template <class Page>
Page& registeredOr(const std::shared_ptr<Page>& page, bool driven) {
    static Page none;
    return driven && page ? *page : none;
}

}  // namespace

WizardFilePages& WizardFiles() {
    return registeredOr(Windows().wizardFiles, true);
}

WizardRecordPage& WizardRecordPageFor(bool driven) {
    return registeredOr(Windows().wizardRecordPage, driven);
}

WizardCdPage& WizardCdPageFor(bool driven) {
    return registeredOr(Windows().wizardCdPage, driven);
}

}  // namespace velt::desk
