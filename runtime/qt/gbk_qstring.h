// GBK texts of the program as Qt's texts. GUI thread or any; pure.
#pragma once

#include <QString>
#include <string>

#include "base/charset.h"

namespace korvex {

inline QString FromGbk(const std::string& gbk) {
  return QString::fromStdString(base::GbkToUtf8(gbk));
}

}  // namespace korvex
