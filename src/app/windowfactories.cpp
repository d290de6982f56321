#include "app/windowfactories.h"

#include "ledger/ledgerwindow.h"
#include "ledger/schedulewindow.h"
#include "registers/loanswindow.h"
#include "registers/savingswindow.h"
#include "reports/chartswindow.h"
#include "reports/querywindow.h"
#include "settings/settingswindow.h"

namespace {
// A factory for a window whose constructor takes the context and the parent.
template <class W> WindowFactory factoryOf(const Context& context) {
    return [&context](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<W>(context, parent);
    };
}
} // namespace

MainWindow::Windows programWindows(const Context& context) {
    MainWindow::Windows w;
    w.ledger = [&context](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<LedgerWindow>(context, factoryOf<QueryWindow>(context),
                                              factoryOf<ChartsWindow>(context), parent,
                                              factoryOf<ScheduleWindow>(context));
    };
    w.loans = factoryOf<LoansWindow>(context);
    w.savings = factoryOf<SavingsWindow>(context);
    w.settings = factoryOf<SettingsWindow>(context);
    return w;
}
