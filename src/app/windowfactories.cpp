#include "app/windowfactories.h"

#include "ledger/szgl.h"
#include "registers/jiedai.h"

Tbank::Windows programWindows(const Context& context) {
    Tbank::Windows w;
    w.ledger = [&context](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<Tfmszgl>(context, Tfmszgl::WindowFactory{},
                                         Tfmszgl::WindowFactory{}, parent);
    };
    w.loans = [&context](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<Tfmjdgl>(context, parent);
    };
    return w;
}
