#include "window/unit1.h"

TForm1* Form1 = nullptr;
std::string TempDir;
std::vector<std::string> TempList;
std::int32_t LapRowCount = 0;
std::vector<TPosDtRec> PosBuf;
