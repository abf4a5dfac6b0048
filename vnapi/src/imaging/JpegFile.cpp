#include "vnapi/imaging/JpegFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "vnapi/VnCodes.h"
#include "vnapi/imaging/FileBytes.h"
#include "vnapi/imaging/ImagePixels.h"

namespace imaging {

int32_t JpegQualityFromDevice(int32_t quality)
{
    const int32_t q = std::clamp(quality, 2, 255);
    return 1 + ((q - 2) * 99 + 126) / 253;
}

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: we
// jump back to the caller's setjmp. Every object with a destructor lives in
// the callers of the functions that call setjmp, so nothing is skipped.
struct JpegErrors {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
};

[[noreturn]] void ExitOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->Jump, 1);
}

void Silent(j_common_ptr) {}

void InstallErrors(JpegErrors* errors)
{
    jpeg_std_error(&errors->Base);
    errors->Base.error_exit = ExitOnError;
    errors->Base.output_message = Silent;
}

// Compressed output straight into a vector, so no buffer outlives an error.
struct VectorDestination {
    jpeg_destination_mgr Base;
    std::vector<uint8_t>* Out;
    JOCTET Buffer[16384];
};

void InitDestination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
    dest->Base.next_output_byte = dest->Buffer;
    dest->Base.free_in_buffer = sizeof dest->Buffer;
}

boolean EmptyDestination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
    dest->Out->insert(dest->Out->end(), dest->Buffer, dest->Buffer + sizeof dest->Buffer);
    dest->Base.next_output_byte = dest->Buffer;
    dest->Base.free_in_buffer = sizeof dest->Buffer;
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
    const size_t used = sizeof dest->Buffer - dest->Base.free_in_buffer;
    dest->Out->insert(dest->Out->end(), dest->Buffer, dest->Buffer + used);
}

struct EncodeJob {
    int32_t Width = 0;
    int32_t Height = 0;
    int Components = 0;          // 1 grey, 3 colour (BGR)
    int Quality = 75;
    uint16_t DotsPerInchX = 0;   // 0: no resolution
    uint16_t DotsPerInchY = 0;
    std::vector<uint8_t> Pixels; // rows top first, Width * Components bytes each
};

// Only trivially destructible locals between setjmp and the last libjpeg call.
bool Compress(const EncodeJob& job, VectorDestination* dest)
{
    jpeg_compress_struct info;
    JpegErrors errors;
    info.err = &errors.Base;
    InstallErrors(&errors);
    if (setjmp(errors.Jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    dest->Base.init_destination = InitDestination;
    dest->Base.empty_output_buffer = EmptyDestination;
    dest->Base.term_destination = TermDestination;
    info.dest = &dest->Base;
    info.image_width = static_cast<JDIMENSION>(job.Width);
    info.image_height = static_cast<JDIMENSION>(job.Height);
    info.input_components = job.Components;
    info.in_color_space = job.Components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, job.Quality, TRUE);
    if (job.DotsPerInchX > 0 && job.DotsPerInchY > 0) {
        info.density_unit = 1;
        info.X_density = job.DotsPerInchX;
        info.Y_density = job.DotsPerInchY;
    }
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = static_cast<size_t>(job.Width) * static_cast<size_t>(job.Components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job.Pixels.data() + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

uint16_t DensityFromPelsPerMeter(int32_t pelsPerMeter)
{
    if (pelsPerMeter <= 0)
        return 0;
    return static_cast<uint16_t>(std::clamp(PackedBitmap::PelsPerMeterToDpi(pelsPerMeter), 0, 65535));
}

} // namespace

int32_t EncodeJpeg(const PackedBitmap* image, int32_t quality, std::vector<uint8_t>* file)
{
    if (file == nullptr)
        return VnReplyInvalidCommand;
    if (!IsUsable(image))
        return VnReplyImageNotPresent;
    // libjpeg's own limit on each side.
    if (image->Width() > JPEG_MAX_DIMENSION || image->Height() > JPEG_MAX_DIMENSION)
        return VnReplyJpegNotCreated;

    EncodeJob job;
    job.Width = image->Width();
    job.Height = image->Height();
    job.Quality = JpegQualityFromDevice(quality);
    job.DotsPerInchX = DensityFromPelsPerMeter(image->XPelsPerMeter());
    job.DotsPerInchY = DensityFromPelsPerMeter(image->YPelsPerMeter());
    const uint16_t bits = image->BitCount();
    const bool grey = bits <= 8 && HasGreyPalette(*image);
    job.Components = grey ? 1 : 3;
    const size_t rowBytes = static_cast<size_t>(job.Width) * static_cast<size_t>(job.Components);
    job.Pixels.resize(rowBytes * static_cast<size_t>(job.Height));
    for (int32_t y = 0; y < job.Height; ++y) {
        const uint8_t* row = image->Row(job.Height - 1 - y);
        uint8_t* out = job.Pixels.data() + static_cast<size_t>(y) * rowBytes;
        if (bits == 24) {
            std::memcpy(out, row, rowBytes);
        } else if (grey) {
            for (int32_t x = 0; x < job.Width; ++x)
                out[x] = image->ColorEntry(PixelIndex(row, x, bits))[0];
        } else {
            for (int32_t x = 0; x < job.Width; ++x)
                std::memcpy(out + 3 * x, image->ColorEntry(PixelIndex(row, x, bits)), 3);
        }
    }

    std::vector<uint8_t> encoded;
    VectorDestination dest{};
    dest.Out = &encoded;
    if (!Compress(job, &dest))
        return VnReplyJpegNotCreated;
    *file = std::move(encoded);
    return VnReplyOk;
}

int32_t SaveJpeg(const PackedBitmap* image, int32_t quality, const char* path)
{
    if (path == nullptr)
        return VnReplyInvalidCommand;
    std::vector<uint8_t> file;
    const int32_t reply = EncodeJpeg(image, quality, &file);
    if (reply != VnReplyOk)
        return reply;
    return WriteFileBytes(path, file.data(), file.size()) ? VnReplyOk : VnReplyJpegNotCreated;
}

namespace {

struct DecodeJob {
    int32_t Width = 0;
    int32_t Height = 0;
    int Components = 0;          // 1 grey, 3 BGR, 4 CMYK as decoded
    bool AdobeCmyk = false;      // Adobe writes CMYK inverted
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;
    std::vector<uint8_t> Pixels; // rows top first
};

int32_t PelsPerMeterFromDensity(uint8_t unit, uint16_t density)
{
    if (density == 0)
        return 0;
    if (unit == 1)
        return PackedBitmap::DpiToPelsPerMeter(density);
    if (unit == 2)
        return static_cast<int32_t>(density) * 100;
    return 0;
}

// Only trivially destructible locals between setjmp and the last libjpeg call;
// the pixel vector belongs to the caller.
bool Decompress(const uint8_t* data, size_t size, DecodeJob* job)
{
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = &errors.Base;
    InstallErrors(&errors);
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > MaxImageSide ||
        info.image_height > MaxImageSide) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
        info.out_color_space = JCS_GRAYSCALE;
        job->Components = 1;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        job->Components = 4;
        break;
    default:
        info.out_color_space = JCS_EXT_BGR;
        job->Components = 3;
        break;
    }
    job->AdobeCmyk = info.saw_Adobe_marker;
    job->Width = static_cast<int32_t>(info.image_width);
    job->Height = static_cast<int32_t>(info.image_height);
    job->XPelsPerMeter = PelsPerMeterFromDensity(info.density_unit, info.X_density);
    job->YPelsPerMeter = PelsPerMeterFromDensity(info.density_unit, info.Y_density);
    const size_t rowBytes = static_cast<size_t>(job->Width) * static_cast<size_t>(job->Components);
    if (rowBytes * static_cast<size_t>(job->Height) > MaxPixelBytes) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    job->Pixels.resize(rowBytes * static_cast<size_t>(job->Height));
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = job->Pixels.data() + info.output_scanline * rowBytes;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

int32_t DecodeJpeg(const uint8_t* data, size_t size, ImageHandle* image)
{
    if (image == nullptr || (data == nullptr && size > 0))
        return VnReplyInvalidCommand;
    if (size < 4)
        return VnReplyJpegNotCreated;
    DecodeJob job;
    if (!Decompress(data, size, &job))
        return VnReplyJpegNotCreated;

    auto result = PackedBitmap::Create(job.Width, job.Height, job.Components == 1 ? 8 : 24, 0);
    if (!result)
        return VnReplyJpegNotCreated;
    result->SetResolution(job.XPelsPerMeter, job.YPelsPerMeter);
    const size_t rowBytes = static_cast<size_t>(job.Width) * static_cast<size_t>(job.Components);
    for (int32_t y = 0; y < job.Height; ++y) {
        const uint8_t* in = job.Pixels.data() + static_cast<size_t>(y) * rowBytes;
        uint8_t* out = result->Row(job.Height - 1 - y);
        if (job.Components != 4) {
            std::memcpy(out, in, rowBytes);
            continue;
        }
        for (int32_t x = 0; x < job.Width; ++x) {
            unsigned c = in[4 * x], m = in[4 * x + 1], ye = in[4 * x + 2], k = in[4 * x + 3];
            if (!job.AdobeCmyk) {
                c = 255 - c;
                m = 255 - m;
                ye = 255 - ye;
                k = 255 - k;
            }
            out[3 * x] = static_cast<uint8_t>((ye * k + 127) / 255);
            out[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
            out[3 * x + 2] = static_cast<uint8_t>((c * k + 127) / 255);
        }
    }
    *image = std::move(result);
    return VnReplyOk;
}

int32_t LoadJpeg(const char* path, ImageHandle* image)
{
    if (path == nullptr || image == nullptr)
        return VnReplyInvalidCommand;
    std::vector<uint8_t> bytes;
    switch (ReadFileBytes(path, MaxPixelBytes, &bytes)) {
    case FileReadResult::Ok:
        return DecodeJpeg(bytes.data(), bytes.size(), image);
    case FileReadResult::CannotOpen:
        return VnReplyImageNotPresent;
    default:
        return VnReplyJpegNotCreated;
    }
}

} // namespace imaging
