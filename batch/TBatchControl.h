#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ExcludeArguments.h"
#include "ICompareCallBack.h"
#include "TCompare.h"
#include "TReportWriter.h"
#include "platform/Digest.h"
#include "platform/Encoding.h"

// The driver of TandrilB: reads the command line, runs one comparison with the
// engine's default options and writes the report file line by line while the
// engine calls back. One instance per process; everything runs on the main
// thread.
class TBatchControl : public ICompareCallBack {
public:
    // Which switch decides whether a report line is written.
    enum class LineKind { Comment, Header, Detail };

    // The report name that stands for standard output.
    static constexpr const char* StandardOutputName = "-";

    TBatchControl();
    // Closes the report file if it is still open, then destroys the engine.
    ~TBatchControl() override;
    TBatchControl(const TBatchControl&) = delete;
    TBatchControl& operator=(const TBatchControl&) = delete;

    // Every setting back to its default.
    void ResetSettings();

    // Reads and checks the process's arguments (see ProcessArguments). Gives 0
    // to go on to Run; any other value is the final result (BatchResult) and
    // Message holds the text to print. Never touches the report file.
    int ParseCommandLine();
    // The same for a given argument list, argument 0 being the program's path.
    int ParseCommandLine(const std::vector<std::string>& arguments);

    // Creates the report file, runs the comparison and completes the report.
    // 0 when the comparison ran to its end and every report line reached the
    // file; otherwise a BatchResult code or the engine's status, with Message
    // set. With "/snapshot" it writes the snapshot instead (RunSnapshot).
    // Call once, after ParseCommandLine gave 0.
    int Run();
    // Writes the snapshot of FromDir to SnapshotFile under a temporary name
    // and renames it into place ("-": standard output), then prints the count
    // line. 0, or a BatchResult code with Message set.
    int RunSnapshot();

    // Opens the report file (created, or truncated once it is locked for this
    // process; a FIFO or pipe opened write-only, waiting for its reader). "-"
    // and the file that standard output already writes to are written
    // through standard output. 0 on success; 1 with Message set when it
    // cannot be created, is locked by another process or cannot be truncated.
    int OpenReport(const std::string& name);
    // Writes text and CR LF to the report in the report's encoding, unless the
    // switch of that kind of line is off.
    void WriteLine(const std::string& text, LineKind kind);

    const std::string& GetMessage() const { return Message; }
    const std::string& GetFileName() const { return FileName; }
    // "/format": how the report's fields are separated.
    enum class TFormat { Csv, Tsv, Txt };
    TFormat GetFormat() const { return Format; }
    const std::string& GetFromDir() const { return FromDir; }
    const std::string& GetToDir() const { return ToDir; }
    platform::TTextEncoding GetEncoding() const { return Encoding; }
    // "/snapshot": the snapshot file to write; empty without it.
    const std::string& GetSnapshotFile() const { return SnapshotFile; }
    const std::string& GetDigest() const { return Digest; }
    // The digest kind a "/digest" value names (sha256 or xxh128 in any case).
    static std::optional<platform::TDigestKind> DigestKind(const std::string& name);
    bool GetComment() const { return Comment; }
    bool GetHeader() const { return Header; }
    bool GetAppendix() const { return Appendix; }
    // The comparison options: the engine's defaults, changed by "/[no]Size",
    // "/[no]Time" and the other comparison switches, the patterns of
    // "/exclude" and "/excludefrom" in their order, and "/moved", "/movedmin",
    // "/timeshift", "/timetolerance" and "/casesensitive".
    const TCompareOption& GetOption() const { return Option; }
    bool GetDiffStatus() const { return DiffStatus; }

    // The process's exit status for a result of ParseCommandLine or Run:
    // ExitStatus (BatchResult.h), or under "/diffstatus" 0 for a run that
    // found no difference, 1 for one that did, and 2 or more for a failure.
    int ExitStatusOf(int result) const;
    // Where the count line and messages go: standard output, or standard
    // error when the report itself goes to standard output ("/file -").
    std::FILE* GetConsole() const { return Console; }

    void OnCompareBegin(TCompare* sender) override;
    void OnListReady(TCompare* sender, int countM, int countS) override;
    void OnRowReady(TCompare* sender, int index, int equal, int different, const TSearchRecEx* m,
                    const TSearchRecEx* s, const TResultRow& row) override;
    void OnCompareDone(TCompare* sender, int rows, int equal, int different) override;
    void OnCompareEnd(TCompare* sender) override;

private:
    // True when a line of this kind goes into the report: its switch is on
    // and the report is open.
    bool IsWritten(LineKind kind) const;
    // Comma, tab or space by Format.
    char Delimiter() const;
    // Prints the count line once the report is complete, when both share
    // standard output's file and the count line must come after the report.
    void PrintPendingCountLine();
    // The checks of ParseCommandLine for "/snapshot".
    int CheckSnapshotSettings(const std::vector<TExcludeArgument>& excludes);
    // With a snapshot side the report is opened only once both sides are
    // read (at OnListReady), so that a snapshot refused leaves an existing
    // report as it was.
    bool OpenReportWhenListed();

    std::unique_ptr<TCompare> Engine;
    std::string Message;                    // printed at the end when the result is not 0
    std::unique_ptr<TReportWriter> Report;  // the open report file, or null
    std::string FileName;                   // "/file": the report file, used unchanged
    TFormat Format = TFormat::Csv;          // "/format"
    std::string FromDir;                    // "/fromdir": the source folder (side M)
    std::string ToDir;                      // "/todir": the target folder (side S)
    bool Comment = true;                    // "/[no]Comment": comment lines
    bool Header = true;                     // "/[no]Header": the column-name line
    bool Appendix = false;                  // "/[no]Appendix": twelve more columns
    platform::TTextEncoding Encoding = platform::TTextEncoding::Cp932;  // "/encoding"
    TCompareOption Option;         // "/[no]Size" ..., "/exclude": the comparison options
    bool DiffStatus = false;       // "/diffstatus": exit status tells differences
    std::string SnapshotFile;      // "/snapshot": the snapshot to write
    bool SnapshotGiven = false;    // "/snapshot" was given (with a value or not)
    std::string Digest;            // "/digest": sha256 or xxh128 in any case
    bool DeferredReport = false;   // the report is opened at OnListReady
    bool ReportFailed = false;     // ... and could not be
    int Different = 0;             // different rows of the complete run
    std::FILE* Console = stdout;   // the count line's and messages' stream
    bool ReportOnConsole = false;  // the report is written through stdout
    std::string PendingCountLine;  // held back until the report is complete
};
