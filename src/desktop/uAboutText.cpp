#include "desktop/uAboutText.h"

#include "tarvek2_version.h"

std::string aboutLines() {
    return TARVEK2_PRODUCT "\nVersion " TARVEK2_VERSION "\n" TARVEK2_COPYRIGHT;
}
