#pragma once

#include "ui/tablewindow.h"

// The loans window: money lent and borrowed, with the amounts still outstanding.
class Tfmjdgl : public TableWindow {
    Q_OBJECT
public:
    Tfmjdgl(const Context& context, QWidget* parent = nullptr);

    // Recomputes the three totals from the stored rows.
    void refreshTotals();

protected:
    void afterSave() override;
};
