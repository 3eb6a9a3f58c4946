// The linescope program: command line, files, console texts, exit status.
#include "program_runner.h"

#include <filesystem>

#include <gtest/gtest.h>
#include <utime.h>

using namespace linescope;
using namespace linescope::testing;

namespace {

const std::string kBin = shell_quote(LINESCOPE_BIN);

const std::string kUsage = "\nVarnel ISDN Event LINESCOPE Utility (Win32)          Version 1.0           02/19/99\n\n"
                           "usage   : linescope {[-x<probes>]} [input file] [output file]\n"
                           "examples: linescope file.dat out.txt; linescope -x12 file.dat out.txt\n\n"
                           "       [-x<probes>] = Exclude probe points from analysis\n"
                           "            where <probes> are one or more of the following;\n"
                           "                 1 = ISDN D-Channel Raw Data\n"
                           "                 2 = ISDN D-Channel Q.921 Decode\n"
                           "                 3 = ISDN D-Channel Q.931 Decode\n"
                           "                 4 = ISDN D-Channel X.25 Decode\n"
                           "                 P = ISDN Physical Layer Activation\n"
                           "                 A = Analog Device Port (SLIC) Activity\n"
                           "                 N = ISDN Interface PPP Control Protocol Activity\n"
                           "                 D = DTE Interface PPP Control Protocol Activity\n"
                           "          file.dat = Event Source\n"
                           "           out.txt = Decoded Output File\n";

Bytes sample_records()
{
    return concat({record('4', {1}, 0), record('6', {}, 500),
                   record('1', i_frame(0, 64, false, 0, 0, false, q931(1, false, 0x05, ie(0x04, {0x88, 0x90}))), 502),
                   record('a', concat({{1}, ppp(0xC021, 1, 1, {0x01, 0x04, 0x05, 0xDC})}), 503),
                   record('p', ppp(0x8021, 1, 1, {0x03, 0x06, 10, 0, 0, 1}), 504), record('2', {}, 505)});
}

void set_mtime(const ScratchDir& dir, const std::string& name, std::int64_t t)
{
    utimbuf times{static_cast<time_t>(t), static_cast<time_t>(t)};
    ASSERT_EQ(utime(dir.file(name).c_str(), &times), 0);
}

} // namespace

TEST(CommandLine, WrongArgumentCountsPrintUsage)
{
    ScratchDir dir;
    std::string console;
    for (const char* args : {"", " a", " a b c d", " -y a b", " x12 a b"}) {
        EXPECT_EQ(dir.run(kBin + args, &console), 1) << args;
        EXPECT_EQ(console, kUsage) << args;
    }
}

TEST(CommandLine, DecodesCaptureWithFileTimeAsBase)
{
    ScratchDir dir;
    // Line noise before the first flag, as the adapter sends it.
    Bytes capture = concat({{'A', 'T', 0x7D, '\r'}, stuff(sample_records())});
    dir.write("file.dat", capture);
    set_mtime(dir, "file.dat", 915148800);
    std::string console;
    ASSERT_EQ(dir.run(kBin + " file.dat out.txt", &console), 0);
    EXPECT_EQ(console, "Done.\n");
    EXPECT_FALSE(dir.exists("LINESCOPE.TF1"));
    EXPECT_EQ(dir.read("out.txt"), decode_plain(sample_records(), {}, 915148800));
    EXPECT_NE(dir.read("out.txt").find("01/01/99 00:00:02 "), std::string::npos);
}

TEST(CommandLine, ExclusionArgumentApplies)
{
    ScratchDir dir;
    dir.write("file.dat", stuff(sample_records()));
    set_mtime(dir, "file.dat", 0);
    ASSERT_EQ(dir.run(kBin + " -xN12p file.dat out.txt"), 0);
    Probes probes;
    probes.exclude("-xN12p");
    std::string report = dir.read("out.txt");
    EXPECT_EQ(report, decode_plain(sample_records(), probes, 0));
    EXPECT_EQ(report.find("B-Channel"), std::string::npos);
    EXPECT_EQ(report.find("Synchronization"), std::string::npos);
    EXPECT_NE(report.find("Bearer Capability IE"), std::string::npos);
}

TEST(CommandLine, MissingInput)
{
    ScratchDir dir;
    std::string console;
    EXPECT_EQ(dir.run(kBin + " none.dat out.txt", &console), 1);
    EXPECT_EQ(console, "Error: Could not open input file \"none.dat\".\n");
    EXPECT_FALSE(dir.exists("out.txt"));
    ASSERT_EQ(dir.run("mkdir sub"), 0);
    EXPECT_EQ(dir.run(kBin + " sub out.txt", &console), 1);
    EXPECT_EQ(console, "Error: Could not open input file \"sub\".\n");
    EXPECT_FALSE(dir.exists("LINESCOPE.TF1"));
}

TEST(CommandLine, TemporaryFileCannotBeCreated)
{
    ScratchDir dir;
    dir.write("file.dat", stuff(sample_records()));
    ASSERT_EQ(dir.run("mkdir LINESCOPE.TF1"), 0);
    std::string console;
    EXPECT_EQ(dir.run(kBin + " file.dat out.txt", &console), 1);
    EXPECT_EQ(console, "Error: Could not create temporary file \"LINESCOPE.TF1\".\n");
}

TEST(CommandLine, OutputCannotBeOpened)
{
    ScratchDir dir;
    dir.write("file.dat", stuff(sample_records()));
    std::string console;
    EXPECT_EQ(dir.run(kBin + " file.dat no/such/dir/out.txt", &console), 1);
    EXPECT_EQ(console, "Error: Could not open either temp or output file. \"LINESCOPE.TF1\".\n" + kUsage);
}

TEST(CommandLine, OutputWriteFailureIsAnError)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    ScratchDir dir;
    dir.write("file.dat", stuff(sample_records()));
    std::string console;
    EXPECT_EQ(dir.run(kBin + " file.dat /dev/full", &console), 1);
    EXPECT_EQ(console, "Error: Could not write output file \"/dev/full\".\n");
    EXPECT_FALSE(dir.exists("LINESCOPE.TF1"));
}

TEST(CommandLine, TemporaryFileHoldsTheUnstuffedStream)
{
    // With the output unopenable the temporary file stays behind, so its
    // contents can be checked.
    ScratchDir dir;
    Bytes records = concat({record('0', {0x7E, 0x7D, 0x20}), record('5', {})});
    Bytes capture = concat({{'x', 0x7D}, stuff(records), {0x41, 0x7D}});
    dir.write("file.dat", capture);
    EXPECT_EQ(dir.run(kBin + " file.dat no/dir/out.txt"), 1);
    Bytes want = concat({records, {0x41}});
    EXPECT_EQ(dir.read("LINESCOPE.TF1"), std::string(want.begin(), want.end()));
}
