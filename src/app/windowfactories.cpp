#include "app/windowfactories.h"

#include "ledger/szgl.h"
#include "registers/jiedai.h"
#include "reports/chartswindow.h"
#include "reports/szquery.h"

Tbank::Windows programWindows(const Context& context) {
    Tbank::Windows w;
    w.ledger = [&context](QWidget* parent) -> std::unique_ptr<QDialog> {
        auto query = [&context](QWidget* p) -> std::unique_ptr<QDialog> {
            return std::make_unique<Tfmszquery>(context, p);
        };
        auto charts = [&context](QWidget* p) -> std::unique_ptr<QDialog> {
            return std::make_unique<ChartsWindow>(context, p);
        };
        return std::make_unique<Tfmszgl>(context, query, charts, parent);
    };
    w.loans = [&context](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<Tfmjdgl>(context, parent);
    };
    return w;
}
