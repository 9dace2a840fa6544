#include "testmain.h"

#include "tst_inifile.h"
#include "tst_prompts.h"
#include "tst_wavdecoder.h"

AUDREL_CORE_TEST_MAIN(TestIniFile, TestPrompts, TestWavDecoder)
