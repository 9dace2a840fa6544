#include "testmain.h"
#include "tst_audiotags.h"
#include "tst_id3v1.h"
#include "tst_infotext.h"
#include "tst_mpegaudio.h"
#include "tst_mpegreference.h"
#include "tst_wavfile.h"
#include "tst_wmafile.h"

AUDREL_CORE_TEST_MAIN(TestMpegAudio, TestId3v1, TestMpegReference, TestWavFile, TestWmaFile, TestInfoText,
                      TestAudioTags)
