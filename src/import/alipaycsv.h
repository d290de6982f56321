#pragma once

#include "import/billreaders.h"
#include "import/billtable.h"

#include <optional>

// Alipay's CSV bills (GBK): the app's layout in use since 2023, its 2021–22 layout, and the
// legacy web download.
namespace bills {

// The layouts, in the order they are tried (the 2023 header holds every cell of the 2021 one).
const TableLayout& alipay2023Layout();
const TableLayout& alipay2021Layout();
const TableLayout& alipayWebLayout();

// The bill, when `input` is an Alipay CSV of one of the layouts; nothing otherwise.
std::optional<BillFile> readAlipayCsv(const BillInput& input);

} // namespace bills
