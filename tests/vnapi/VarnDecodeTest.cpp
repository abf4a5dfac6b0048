// The decode tool run as a person with scans runs it: a child process, its
// output read back, its exit status checked.
#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "docs/ChequeGenerator.h"
#include "docs/DegradedPrint.h"
#include "vnapi/imaging/BmpFile.h"
#include "vnapi/imaging/JpegFile.h"

namespace {

struct ToolRun {
    int Status = -1;
    std::string Output;
};

ToolRun VarnDecode(const std::string& arguments)
{
    const std::string program = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "VarnDecode").string();
    ToolRun run;
    FILE* pipe = popen(("'" + program + "' " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        run.Output += buffer;
    const int status = pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

TEST(VarnDecode, OneLinePerFileAndFailureWhenAFileCannotBeRead)
{
    TemporaryFolder folder;
    const DocumentSpec doc = MakeCheque(5, 1, ChequeLayout{MicrFont::E13B, OcrFont::OcrB, BarcodeKind::None});
    // A bilevel scan whose header says nothing of its resolution, and a JPEG.
    Degradation bilevel;
    bilevel.Bits = 1;
    ImageHandle scan = DegradedFront(doc, bilevel, 1);
    scan->SetResolution(0, 0);
    const std::string bmp = folder.Folder() + "scan.bmp", jpg = folder.Folder() + "scan.jpg";
    ASSERT_EQ(imaging::SaveBmp(scan.get(), bmp.c_str()), 0);
    ASSERT_EQ(imaging::SaveJpeg(DegradedFront(doc, {}, 1).get(), 80, jpg.c_str()), 0);

    ToolRun run = VarnDecode("'" + bmp + "' '" + jpg + "'");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Output, bmp + "\t0\t" + doc.Codeline + "\n" + jpg + "\t0\t" + doc.Codeline + "\n");
    run = VarnDecode("--type B --window 6,4,150,10.5,mm '" + jpg + "'");
    EXPECT_EQ(run.Output, jpg + "\t0\t" + doc.OcrText + "\n");
    run = VarnDecode("'" + folder.Folder() + "missing.tif' '" + jpg + "'");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Output.substr(run.Output.find('\n') + 1).substr(0, jpg.size()), jpg) << "the others still read";
    EXPECT_EQ(VarnDecode("--type Q '" + jpg + "'").Status, 2);
    EXPECT_EQ(VarnDecode("--window 1,2,3 '" + jpg + "'").Status, 2);
    run = VarnDecode("--help");
    EXPECT_EQ(run.Status, 0);
    for (const char* type : {"E ", "A ", "B ", "C ", "F ", "X ", "barcode ", "pdf417 "})
        EXPECT_NE(run.Output.find(type), std::string::npos) << type;
}
