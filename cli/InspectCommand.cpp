#include "cli/InspectCommand.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/KXT850ImageCheck.h"
#include "resources/EmbeddedFirmwareResources.h"

namespace kxt::cli {
namespace {

// Far beyond any flash image; a larger file is not read at all.
constexpr std::uintmax_t kLargestReadableFile = 1U << 20;

struct InspectOptions {
    std::string file;
    std::string embedded;  // TYPE/NAME
};

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string Printable(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
    }
    return text;
}

int Report(const std::string& what, std::span<const std::uint8_t> image) {
    const auto report = device::InspectKXT850Image(image);
    std::cout << "image:               " << what << '\n'
              << "size:                " << report.size << " bytes ("
              << Hex(static_cast<unsigned>(report.size), 4) << ")\n";
    if (report.hasMarker) {
        std::cout << "marker at 0xBFF0:    " << (*report.hasMarker ? "55 AA AA 55" : "missing")
                  << '\n'
                  << "model tag:           " << Printable(*report.modelTag) << '\n';
    }
    if (report.storedChecksum) {
        std::cout << "stored checksum:     " << Hex(*report.storedChecksum, 4) << '\n'
                  << "computed checksum:   " << Hex(*report.computedChecksum, 4) << '\n';
    }
    if (report.hasConfigSignature) {
        std::cout << "configuration block: "
                  << (*report.hasConfigSignature ? "ends in \"KX\"" : "no \"KX\" at its end")
                  << '\n';
    }
    for (const auto problem : report.problems) {
        std::cout << "problem:             " << device::DescribeProblem(problem, report) << '\n';
    }
    std::cout << "verdict:             "
              << (report.Sound() ? "sound KXT850 image" : "broken KXT850 image") << '\n';
    return report.Sound() ? 0 : 1;
}

int InspectFile(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        std::cerr << "kxtfw: " << path << ": " << error.message() << '\n';
        return 2;
    }
    if (size > kLargestReadableFile) {
        std::cerr << "kxtfw: " << path << ": " << size << " bytes, far larger than a flash image\n";
        return 1;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "kxtfw: " << path << ": cannot be read\n";
        return 2;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    return Report(path, bytes);
}

int InspectEmbedded(const std::string& typeAndName) {
    const auto slash = typeAndName.find('/');
    if (slash == std::string::npos) {
        std::cerr << "kxtfw: name an embedded image as TYPE/NAME, e.g. KXT850/FW6701\n";
        return 2;
    }
    const std::string type = typeAndName.substr(0, slash);
    const resources::EmbeddedFirmwareResources firmware;
    const auto image = firmware.Find(type, typeAndName.substr(slash + 1));
    if (!image) {
        std::cerr << "kxtfw: no embedded image " << typeAndName << '\n';
        return 2;
    }
    const std::string what =
        typeAndName + (firmware.StandInImages() ? " (embedded stand-in)" : " (embedded)");
    if (type != "KXT850") {
        std::cout << "image:               " << what << '\n'
                  << "size:                " << image->size() << " bytes\n"
                  << "verdict:             only KXT850 images have a layout to check\n";
        return 0;
    }
    return Report(what, *image);
}

}  // namespace

void AddInspectCommand(CLI::App& app, int& exitStatus) {
    auto* command = app.add_subcommand(
        "inspect", "Check the layout and checksum of a KXT850 firmware file or embedded image");
    auto options = std::make_shared<InspectOptions>();
    auto* file = command->add_option("file", options->file, "Firmware image file");
    auto* embedded = command->add_option("--embedded", options->embedded,
                                         "Embedded image as TYPE/NAME, e.g. KXT850/FW6701");
    file->excludes(embedded);
    command->require_option(1);
    command->callback([options, &exitStatus] {
        exitStatus = options->embedded.empty() ? InspectFile(options->file)
                                               : InspectEmbedded(options->embedded);
    });
}

}  // namespace kxt::cli
