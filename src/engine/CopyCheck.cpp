#include "engine/CopyCheck.h"

#include "identification/ProgramScanner.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

const int kCheckNiceness = 5;

} // namespace

CCopyCheck::~CCopyCheck()
{
    Stop();
}

void CCopyCheck::Start(Scan theScan, std::function<void()> theDone)
{
    Stop();
    bStarted = true;
    itsThread
        = std::jthread([this, scan = std::move(theScan), done = std::move(theDone)](std::stop_token theStop) {
              // The window comes first: on a machine with few cores the digests
              // would otherwise hold up its start. The threads the scan starts
              // inherit this, and the check takes all the cores the window leaves.
              setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kCheckNiceness);
              scan(itsFound, itsUnknown, theStop);
              bDone.store(true, std::memory_order_release);
              if (!theStop.stop_requested() && done)
                  done();
          });
}

void CCopyCheck::Wait()
{
    if (itsThread.joinable())
        itsThread.join();
}

void CCopyCheck::Stop()
{
    if (itsThread.joinable()) {
        itsThread.request_stop();
        itsThread.join();
    }
    itsFound.DeleteAll();
    itsUnknown.DeleteAll();
    bDone.store(false);
    bStarted = false;
}

bool CCopyCheck::TakeResults(CProgramList& theFound, CProgramList* pUnknown)
{
    if (!bStarted || !IsDone())
        return false;
    Wait();
    bStarted = false;
    while (CListItem* record = itsFound.RemoveHead())
        theFound.Append(record);
    while (CListItem* record = itsUnknown.RemoveHead()) {
        if (pUnknown)
            pUnknown->Append(record);
        else
            delete record;
    }
    return true;
}

CCopyCheck::Scan ApplicationsFolderScan(const Cstring& theFolder, const CProgramList& theValid)
{
    return [folder = theFolder, &theValid](
               CProgramList& theFound, CProgramList& theUnknown, std::stop_token theStop) {
        ScanDirectory(theFound, folder.GetText(), gValidProgramNames, &theValid, &theUnknown, theStop);
    };
}

CCopyCheck& StartupCopyCheck()
{
    static CCopyCheck check;
    return check;
}
