// linescope: turns an ISDN TA event capture into a text report.
#include "session.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef TALLYLINE_VERSION
#define TALLYLINE_VERSION "0"
#endif

namespace {

constexpr char kTempFile[] = "LINESCOPE.TF1";
constexpr std::string_view kStandardStream = "-";

void usage(std::FILE* console)
{
    // The console is cleared first, as the utility always did; a file or
    // pipe gets the text alone.
    if (isatty(fileno(console)))
        std::fputs("\033[H\033[2J", console);
    std::fprintf(console, "\nVarnel ISDN Event LINESCOPE Utility (Win32)          %s           %s\n\n",
                 "Version 1.0", "02/19/99");
    std::fputs("usage   : linescope {[-x<probes>]} [input file] [output file]\n"
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
               "           out.txt = Decoded Output File\n",
               console);
}

void help()
{
    std::fputs("Usage: linescope [OPTION]... [-x<probes>] INPUT OUTPUT\n"
               "Decode an ISDN TA event capture (INPUT) into a text report (OUTPUT).\n"
               "With INPUT -, read the capture from standard input; with OUTPUT -,\n"
               "write the report to standard output.\n"
               "\n"
               "  -x<probes>     exclude probe points from the report; <probes> are\n"
               "                   one or more of the following (letters in either case):\n"
               "                   1  ISDN D-Channel Raw Data\n"
               "                   2  ISDN D-Channel Q.921 Decode\n"
               "                   3  ISDN D-Channel Q.931 Decode\n"
               "                   4  ISDN D-Channel X.25 Decode\n"
               "                   P  ISDN Physical Layer Activation\n"
               "                   A  Analog Device Port (SLIC) Activity\n"
               "                   N  ISDN Interface PPP Control Protocol Activity\n"
               "                   D  DTE Interface PPP Control Protocol Activity\n"
               "      --lf       end the report's lines with line feeds instead of\n"
               "                   carriage returns\n"
               "      --help     display this help and exit\n"
               "      --version  output version information and exit\n"
               "\n"
               "The report's lines end in a carriage return unless --lf is given.\n"
               "A capture read from a pipe has no file time: its records are dated\n"
               "from the time linescope starts.\n"
               "\n"
               "Examples:\n"
               "  linescope file.dat out.txt\n"
               "  linescope -x12 file.dat out.txt\n"
               "  linescope --lf - - < file.dat | grep 'Layer 3'\n"
               "\n"
               "Exit status: 0 when the report was written, 1 on a wrong command line\n"
               "or a file error, 2 on an unknown option.\n",
               stdout);
}

void version()
{
    std::fputs("linescope (Tallyline) " TALLYLINE_VERSION "\n"
               "Copyright (C) 1999-2026 Varnel. All rights reserved.\n",
               stdout);
}

struct CommandLine {
    bool line_feeds = false;
    std::vector<const char*> operands;
};

enum class Parsed { Run, Exit0, Exit2 };

// Long options may stand anywhere; "--" ends them. Everything else keeps
// its place among the operands, so "-x" and wrong counts behave as always.
Parsed parse(int argc, char** argv, CommandLine& cl)
{
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg.size() > 2 && arg.substr(0, 2) == "--") {
            if (arg == "--lf") {
                cl.line_feeds = true;
            } else if (arg == "--help") {
                help();
                return Parsed::Exit0;
            } else if (arg == "--version") {
                version();
                return Parsed::Exit0;
            } else {
                std::fprintf(stderr,
                             "linescope: unrecognized option '%s'\n"
                             "Try 'linescope --help' for more information.\n",
                             argv[i]);
                return Parsed::Exit2;
            }
        } else {
            cl.operands.push_back(argv[i]);
        }
    }
    return Parsed::Run;
}

// Opens the capture and reads its time base. Standard input redirected
// from a file carries that file's time; a pipe has none, so the records
// are dated from now.
std::FILE* open_input(const char* input, std::int64_t& base_time)
{
    const bool standard = input == kStandardStream;
    std::FILE* in = standard ? stdin : std::fopen(input, "rb");
    struct stat st {};
    // A directory opens for reading here but is no capture.
    if (in != nullptr && (fstat(fileno(in), &st) != 0 || S_ISDIR(st.st_mode))) {
        if (!standard)
            std::fclose(in);
        return nullptr;
    }
    if (in != nullptr)
        base_time = standard && !S_ISREG(st.st_mode) ? std::time(nullptr) : st.st_mtime;
    return in;
}

void close_input(std::FILE* in)
{
    if (in != stdin)
        std::fclose(in);
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine cl;
    switch (parse(argc, argv, cl)) {
    case Parsed::Exit0: return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    case Parsed::Exit2: return 2;
    case Parsed::Run: break;
    }

    linescope::Session session;
    const char* input = nullptr;
    const char* output = nullptr;
    if (cl.operands.size() == 2) {
        input = cl.operands[0];
        output = cl.operands[1];
    } else if (cl.operands.size() == 3 && linescope::Probes::is_exclusion(cl.operands[0])) {
        session.probes.exclude(cl.operands[0]);
        input = cl.operands[1];
        output = cl.operands[2];
    } else {
        usage(stdout);
        return 1;
    }
    // With the report on standard output the console texts move to
    // standard error, and success is silent.
    const bool report_to_stdout = output == kStandardStream;
    std::FILE* console = report_to_stdout ? stderr : stdout;

    std::FILE* in = open_input(input, session.base_time);
    if (in == nullptr) {
        std::fprintf(console, "Error: Could not open input file \"%s\".\n", input);
        return 1;
    }

    // A capture from a pipe cannot be read twice and the current directory
    // may not be writable: it is un-stuffed on the fly instead of through
    // the temporary file.
    const bool use_temp = in != stdin;
    std::FILE* temp = nullptr;
    if (use_temp) {
        temp = std::fopen(kTempFile, "wb");
        if (temp == nullptr) {
            close_input(in);
            std::fprintf(console, "Error: Could not create temporary file \"%s\".\n", kTempFile);
            return 1;
        }
        bool unstuffed = linescope::unstuff_file(in, temp);
        const bool read_failed = std::ferror(in) != 0;
        close_input(in);
        in = nullptr;
        if (read_failed) {
            // A read error must not pass for the end of the capture.
            std::fclose(temp);
            std::remove(kTempFile);
            std::fprintf(console, "Error: Could not read input file \"%s\".\n", input);
            return 1;
        }
        if (std::fclose(temp) != 0 || !unstuffed) {
            // A full disk must not pass for a short capture.
            std::remove(kTempFile);
            std::fprintf(console, "Error: Could not write temporary file \"%s\".\n", kTempFile);
            return 1;
        }
        temp = std::fopen(kTempFile, "rb");
    }

    std::FILE* out = report_to_stdout ? stdout : std::fopen(output, "wb");
    if ((use_temp && temp == nullptr) || out == nullptr) {
        if (temp != nullptr)
            std::fclose(temp);
        if (out != nullptr && out != stdout)
            std::fclose(out);
        if (in != nullptr)
            close_input(in);
        std::fprintf(console, "Error: Could not open either temp or output file. \"%s\".\n", kTempFile);
        usage(console);
        return 1;
    }

    bool written = false;
    {
        linescope::FileSink file_sink(out);
        linescope::LineFeedSink line_feeds(file_sink);
        linescope::Report report(cl.line_feeds ? static_cast<linescope::Sink&>(line_feeds) : file_sink);
        if (use_temp) {
            linescope::FileSource records(temp);
            linescope::write_report(records, session, report);
        } else {
            linescope::FileSource captured(in);
            linescope::UnstuffSource records(captured);
            linescope::write_report(records, session, report);
        }
        report.flush();
        written = report.ok();
    }
    bool read_failed = false;
    if (use_temp) {
        read_failed = std::ferror(temp) != 0;
        std::fclose(temp);
        std::remove(kTempFile);
    } else {
        read_failed = std::ferror(in) != 0;
        close_input(in);
    }
    if (out == stdout ? std::fflush(out) != 0 || std::ferror(out) != 0 : std::fclose(out) != 0)
        written = false;
    if (read_failed) {
        if (use_temp)
            std::fprintf(console, "Error: Could not read temporary file \"%s\".\n", kTempFile);
        else
            std::fprintf(console, "Error: Could not read input file \"%s\".\n", input);
        return 1;
    }
    if (!written) {
        std::fprintf(console, "Error: Could not write output file \"%s\".\n", output);
        return 1;
    }
    if (!report_to_stdout)
        std::fprintf(console, "Done.\n");
    return 0;
}
