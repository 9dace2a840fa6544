#include "convert/cvtitem.h"

#include "jobs/joblist.h"
#include "jobs/jobrecords.h"

namespace audrel {

TCvtItem TCvtItem::FromRow(const JobList& list, int row)
{
    const TJobRec& rec = list.record(row);
    TCvtItem item{list.kind(), rec.Source, rec.Dest, row, ItemState::Waiting};
    if (const auto* wav = dynamic_cast<const TWavRec*>(&rec)) {
        item.SampleRate = wav->SampleRate;
        item.Mode = wav->Mode;
        item.BitsPerSample = wav->BitsPerSample;
    }
    return item;
}

} // namespace audrel
