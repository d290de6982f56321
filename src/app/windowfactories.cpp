#include "app/windowfactories.h"

#include "registers/jiedai.h"

Tbank::Windows programWindows(const Context& context) {
    Tbank::Windows w;
    w.loans = [&context](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<Tfmjdgl>(context, parent);
    };
    return w;
}
