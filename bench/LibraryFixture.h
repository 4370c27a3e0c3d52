#pragma once

#include <QString>

// A generated program folder with a base.ini of `records` records, half of
// whose paths exist (every other one), made once per size for the process.
QString libraryFolder(int records);
