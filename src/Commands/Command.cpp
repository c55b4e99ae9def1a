#include "Commands/Command.h"

#include <iterator>

const char* SymbologyName(TSymbology symbology) {
    static const char* const names[SymbologyCount] = {
        "UPC-A", "UPC-E", "JAN13", "JAN8", "CODE39", "ITF", "CODABAR", "CODE93", "CODE128"};
    return symbology < SymbologyCount ? names[symbology] : "";
}

const char* CommandKindName(const TCommand& command) {
    // In the order of the variant.
    static const char* const names[] = {"text",
                                        "raw bytes",
                                        "incomplete command",
                                        "line feed",
                                        "form feed",
                                        "carriage return",
                                        "feed lines",
                                        "feed dots",
                                        "initialize",
                                        "cut",
                                        "line-mode cut",
                                        "drawer pulse",
                                        "drawer pulse of the printer's own",
                                        "right-side spacing",
                                        "font",
                                        "print mode",
                                        "underline",
                                        "emphasis",
                                        "double strike",
                                        "character size",
                                        "reverse",
                                        "alignment",
                                        "line spacing",
                                        "code table",
                                        "Chinese mode",
                                        "absolute position",
                                        "print area",
                                        "print direction",
                                        "page mode",
                                        "standard mode",
                                        "left margin",
                                        "print width",
                                        "vertical position",
                                        "relative vertical position",
                                        "barcode height",
                                        "barcode width",
                                        "barcode text position",
                                        "barcode",
                                        "raster image",
                                        "graphics",
                                        "QR code model",
                                        "QR code module size",
                                        "QR code error level",
                                        "QR code store",
                                        "QR code print",
                                        "two-dimensional code",
                                        "real-time status request",
                                        "automatic status back",
                                        "sensor status request",
                                        "identity request",
                                        "self-test"};
    static_assert(std::size(names) == std::variant_size_v<TCommand>);
    return names[command.index()];
}
