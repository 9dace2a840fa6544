#include "testmain.h"

#include "tst_adding.h"
#include "tst_listcommands.h"
#include "tst_mainform.h"
#include "tst_playcommands.h"

#include <QApplication>

AUDREL_GUI_TEST_MAIN(TestMainForm, TestAdding, TestListCommands, TestPlayCommands)
