#pragma once

#include <QString>
#include <functional>

// The text of the AppError that `f` throws, or "<no error>" when it throws none.
QString errorOf(const std::function<void()>& f);
