#include "ui/uInitForms.h"

#include "ui/uInfo.h"
#include "ui/uMain.h"
#include "ui/uMessage.h"
#include "ui/uProtocol.h"

void initForms(TfrmMain& main) {
    auto* info = new TfrmInfo(&main, main.catalog());
    auto* protocol = new TfrmProtocol(&main);
    auto* message = new TfrmMessage(&main);
    main.attachForms(info, protocol, message);
}
