#include "app/ConversionTest.h"

#include <QFile>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/Operator.h"

ImageHandle LoadConversionBuffer(const QString& path)
{
    std::vector<uint8_t> bytes(ConversionBufferSize, 0);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        // The file header is read past; the packed bitmap starts after it.
        file.read(BitmapFileHeaderSize);
        file.read(reinterpret_cast<char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    return std::make_unique<PackedBitmap>(std::move(bytes));
}

void RunConversionTest(Bench& bench, const QString& bitmapPath)
{
    if (!OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops).Proceed)
        return;
    ImageHandle buffer = LoadConversionBuffer(bitmapPath);
    ImageHandle first, second;
    // A demonstration: whatever the conversions answer, what they made is shown.
    bench.Api.Varn_ConvertImageToBW(bench.Window, 4, buffer.get(), &first, 300, 0.0f);
    bench.Api.Varn_ConvertImageToBW(bench.Window, 6, buffer.get(), &second, 8, 0.0f);
    if (first || second) {
        DocumentShow show;
        show.DocumentNumber = 1;
        show.Front = first.get();
        show.Back = second.get();
        bench.Op.ShowDocumentImages(show);
    }
    for (ImageHandle* image : {&first, &second, &buffer}) {
        if (*image)
            bench.Api.Varn_FreeImage(bench.Window, image);
        image->reset();
    }
    CloseUnit(bench);
}
