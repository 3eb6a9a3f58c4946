// linescope in a shell: standard input and output, line feeds, the GNU
// options, and pipelines.
#include "program_runner.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

#include <gtest/gtest.h>
#include <utime.h>

using namespace linescope;
using namespace linescope::testing;

namespace {

const std::string kBin = shell_quote(LINESCOPE_BIN);

Bytes call_records()
{
    return concat({record('4', {1}, 0), record('6', {}, 100),
                   record('1', i_frame(0, 64, false, 0, 0, false, q931(1, false, 0x05, ie(0x04, {0x88, 0x90}))), 101),
                   record('0', i_frame(0, 64, true, 0, 1, false, q931(1, true, 0x02, {})), 102),
                   record('a', concat({{1}, ppp(0xC021, 1, 1, {0x01, 0x04, 0x05, 0xDC})}), 103),
                   // PAP with a carriage return in the user name: raw text
                   // from the capture in the report.
                   record('p', ppp(0xC023, 1, 1, {4, 'u', '\r', 'x', 'y', 0}), 104), record('2', {}, 105)});
}

void write_capture(const ScratchDir& dir, std::int64_t mtime)
{
    dir.write("file.dat", concat({{'A', 'T', '\r'}, stuff(call_records())}));
    utimbuf times{static_cast<time_t>(mtime), static_cast<time_t>(mtime)};
    ASSERT_EQ(utime(dir.file("file.dat").c_str(), &times), 0);
}

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(Shell, StandardStreamsGiveTheFileReportByteForByte)
{
    ScratchDir dir;
    write_capture(dir, 915148800);
    ASSERT_EQ(dir.run(kBin + " -xN1 file.dat out.txt"), 0);
    const std::string report = dir.read("out.txt");
    Probes probes;
    probes.exclude("-xN1");
    ASSERT_EQ(report, decode_plain(call_records(), probes, 915148800));

    std::string console, errors;
    // Both ends standard: success is silent, nothing else reaches stdout.
    ASSERT_EQ(dir.run(kBin + " -xN1 - - < file.dat", &console, &errors), 0);
    EXPECT_EQ(console, report);
    EXPECT_EQ(errors, "");
    // Either end alone.
    ASSERT_EQ(dir.run(kBin + " -xN1 - from_stdin.txt < file.dat", &console), 0);
    EXPECT_EQ(console, "Done.\n");
    EXPECT_EQ(dir.read("from_stdin.txt"), report);
    ASSERT_EQ(dir.run(kBin + " -xN1 file.dat -", &console), 0);
    EXPECT_EQ(console, report);
    EXPECT_FALSE(dir.exists("LINESCOPE.TF1"));
}

TEST(Shell, PipedCaptureIsDatedFromTheStartAndNeedsNoTemporaryFile)
{
    ScratchDir dir;
    write_capture(dir, 0);
    // The current directory may be unwritable in a pipeline: a capture
    // from standard input is un-stuffed on the fly.
    ASSERT_EQ(dir.run("mkdir LINESCOPE.TF1"), 0);
    std::string console;
    const std::int64_t before = std::time(nullptr);
    ASSERT_EQ(dir.run("cat file.dat | TZ=UTC " + kBin + " - -", &console), 0);
    const std::int64_t after = std::time(nullptr);
    bool matched = false;
    for (std::int64_t t = before; t <= after && !matched; ++t) {
        setenv("TZ", "UTC", 1);
        tzset();
        matched = console == decode_plain(call_records(), {}, t);
    }
    EXPECT_TRUE(matched) << readable(console);
}

TEST(Shell, LineFeedsReplaceCarriageReturns)
{
    ScratchDir dir;
    write_capture(dir, 915148800);
    ASSERT_EQ(dir.run(kBin + " file.dat cr.txt"), 0);
    const std::string cr = dir.read("cr.txt");
    ASSERT_NE(cr.find('\r'), std::string::npos);
    // The option may stand before, between or after the operands.
    for (const char* args : {" --lf file.dat lf.txt", " file.dat --lf lf.txt", " file.dat lf.txt --lf"}) {
        std::string console;
        ASSERT_EQ(dir.run(kBin + args, &console), 0) << args;
        EXPECT_EQ(console, "Done.\n");
        EXPECT_EQ(dir.read("lf.txt"), readable(cr)) << args;
    }
    EXPECT_EQ(dir.read("lf.txt").find('\r'), std::string::npos);
    // With an exclusion argument, which keeps its first place among the
    // operands.
    ASSERT_EQ(dir.run(kBin + " --lf -x12 file.dat lf.txt"), 0);
    ASSERT_EQ(dir.run(kBin + " -x12 file.dat cr.txt"), 0);
    EXPECT_EQ(dir.read("lf.txt"), readable(dir.read("cr.txt")));
}

TEST(Shell, HelpVersionAndUnknownOptionsAnswerAsGnuPrograms)
{
    ScratchDir dir;
    std::string console, errors;
    EXPECT_EQ(dir.run(kBin + " --help", &console, &errors), 0);
    EXPECT_EQ(console.rfind("Usage: linescope [OPTION]... [-x<probes>] INPUT OUTPUT\n", 0), 0u) << console;
    EXPECT_NE(console.find("--lf"), std::string::npos);
    EXPECT_NE(console.find("--version"), std::string::npos);
    EXPECT_EQ(errors, "");
    // --help wins over operands and does nothing else.
    EXPECT_EQ(dir.run(kBin + " none.dat out.txt --help", &console), 0);
    EXPECT_FALSE(dir.exists("out.txt"));

    EXPECT_EQ(dir.run(kBin + " --version", &console, &errors), 0);
    EXPECT_EQ(console.rfind("linescope (Tallyline) ", 0), 0u) << console;
    EXPECT_NE(console.find("\nCopyright (C) "), std::string::npos) << console;
    EXPECT_EQ(console.back(), '\n');
    EXPECT_EQ(errors, "");

    EXPECT_EQ(dir.run(kBin + " --color file.dat out.txt", &console, &errors), 2);
    EXPECT_EQ(console, "");
    EXPECT_EQ(errors, "linescope: unrecognized option '--color'\nTry 'linescope --help' for more information.\n");
    EXPECT_FALSE(dir.exists("out.txt"));

    // "--" ends the options: a file may be named like one.
    write_capture(dir, 0);
    ASSERT_EQ(dir.run("cp file.dat ./--lf"), 0);
    EXPECT_EQ(dir.run(kBin + " -- --lf out.txt", &console), 0);
    EXPECT_EQ(console, "Done.\n");
    EXPECT_NE(dir.read("out.txt").find('\r'), std::string::npos);
    // A lone "-" and the one-dash arguments keep their meaning.
    EXPECT_EQ(dir.run(kBin + " -y file.dat out.txt", &console), 1);
    EXPECT_EQ(console.rfind("\nVarnel ISDN Event LINESCOPE Utility", 0), 0u);
    EXPECT_EQ(dir.run(kBin + " - < file.dat", &console), 1);
    EXPECT_EQ(console.rfind("\nVarnel ISDN Event LINESCOPE Utility", 0), 0u);
}

TEST(Shell, GrepFindsTheReportLines)
{
    ScratchDir dir;
    write_capture(dir, 915148800);
    std::string console;
    ASSERT_EQ(dir.run("cat file.dat | " + kBin + " --lf -x1 - - | grep -c 'Layer 3 Decode'", &console), 0);
    EXPECT_EQ(console, std::to_string(count(decode_plain(call_records()), "Layer 3 Decode")) + "\n");
    EXPECT_EQ(console, "2\n");
    ASSERT_EQ(dir.run(kBin + " --lf file.dat - | grep 'Transmit Pkt'", &console), 0);
    EXPECT_EQ(console, "  >>>   ISDN D-Channel Transmit Pkt                                  NET<-CPE\n"
                       "  >>>   ISDN B-Channel #1 Transmit Pkt (PPP CP)                     NET<-CPE\n");
    // Two runs through diff: only the exclusions differ.
    ASSERT_EQ(dir.run(kBin + " --lf file.dat a.txt && " + kBin + " --lf -xA file.dat b.txt && diff a.txt b.txt"), 0);
}

TEST(Shell, ErrorsGoToStandardErrorWhenTheReportIsOnStandardOutput)
{
    ScratchDir dir;
    std::string console, errors;
    EXPECT_EQ(dir.run(kBin + " none.dat -", &console, &errors), 1);
    EXPECT_EQ(console, "");
    EXPECT_EQ(errors, "Error: Could not open input file \"none.dat\".\n");
    EXPECT_EQ(dir.run(kBin + " - - < /", &console, &errors), 1);
    EXPECT_EQ(errors, "Error: Could not open input file \"-\".\n");
    if (!std::filesystem::exists("/dev/full"))
        return;
    write_capture(dir, 0);
    EXPECT_EQ(dir.run(kBin + " file.dat - > /dev/full", nullptr, &errors), 1);
    EXPECT_EQ(errors, "Error: Could not write output file \"-\".\n");
    EXPECT_FALSE(dir.exists("LINESCOPE.TF1"));
}
