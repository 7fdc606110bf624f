#pragma once
// The program's words as a user of a shipped language sees them: the English language file of the
// source tree, copied into a folder of the test's own, with the translation of that tag (none for
// English). The table speaks no language again once the object goes.

#include <string>

#include "support/TestFiles.h"

namespace test {

class Speaking {
  public:
    explicit Speaking(const std::string& tag = "");
    ~Speaking();
    Speaking(const Speaking&) = delete;
    Speaking& operator=(const Speaking&) = delete;

  private:
    TempFolder dir_;
};

}  // namespace test
