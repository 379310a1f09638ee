#include "core/string_table.h"

#include <array>
#include <utility>

namespace tvx {
namespace {

constexpr std::pair<int, const char*> kStrings[] = {
    {102, TVX_VERSION},   // the project version, set once in the top CMakeLists
    {103, "can not be created. Please double check."},
    {104, "is invalid. Please reenter."},
    {105, "does not exist. Do you want the folder to be created?"},
    {106, "The folder:"},
    {107, "Decoded .WAV Folder"},
    {108, "Select folder for decrypted WAV files:"},
    {109, "Tessivox"},
    {110, "The file: %s already exists. Overwrite and recreate its (.Txt) file?"},
    {111, "Decrypting: %s\r\n"},
    {113, "-------------------------------------------------------------"},
    {114, "WAV CONVERSION SUMMARY\r\n\r\nIM2 Encrypted File: YES\r\n\r\nDecrypting...\r\n"},
    {115, "Creating File: %s.%02u.wav\r\n"},
    {116, " ERROR: Unable to decode UNIT:%s FILE:%05u INDEX:%lu"},
    {117, "Decryption Completed."},
    {118, "Decryption Cancelled."},
    {119, "WAV CONVERSION SUMMARY\r\n\r\nIMG Encrypted File: YES\r\n\r\nDecrypting...\r\n"},
    {120, "WAV CONVERSION SUMMARY\r\n\r\nIX2 Encrypted File: YES\r\n\r\nDecrypting...\r\n"},
    {122, "Error: The supplied directory could not be accessed.\n\nPlease verify your directory path."},
    {124, "IM2 / IX2 DECRYPTION SUMMARY"},
    {125, "Unit ID: %s"},
    {126, "Audio Image Number: %u"},
    {127, "Recording Start Time"},
    {128, "Recording Length:  %.0f:%02ld:%02ld"},
    {129, "WAV Segment Start Time"},
    {130, "WAV Segment Length: %.0f:%02ld:%02ld"},
    {131, "Sample Rate: %u,%03u Hz"},
    {132, "Bits Per Sample: %d"},
    {133, "Channels: %d"},
    {134, "Samples Per Channel"},
    {135, "Unit ID Errors: %lu"},
    {136, "File Number Errors: %lu"},
    {137, "Block Order Errors: %lu"},
    {138, "Timestamp Errors: %lu"},
    {139, "Block Checksum Errors: %lu"},
    {140, "Total Irregular Blocks: %lu"},
    {141, "(Total Time Irregular: %0.2f s)"},
    {142, "* NOTE: Recording lengths accurate to 3 seconds per Hour."},
    {143, "IMG DECRYPTION SUMMARY"},
    {144, "Voice Image Checksum Errors: %lu"},
    {145, "The details of the loaded %s file are:"},
    {146, "IX2"},
    {147, "IM2"},
    {148, "IMG"},
    {149, "The help file\n\"%s\"\ncould not found."},
    {150, "Error: The structure of the loaded file is either corrupt, or\nnot supported by this "
          "version of the software.\n\nContinuing with the analysis may produce unexpected "
          "results.\n\nDo you want to continue?"},
    {151, " ERROR: Unable to decode HEADER:%u"},
    {152, "Error: Can not allocate enough memory to display the loaded file.\r\nThis file cannot "
          "be displayed."},
    {153, "IX2 Split Start Time"},
    {154, "IX2 Split Length: %.0f:%02ld:%02ld"},
};

}  // namespace

const char* LoadString(int id) {
    for (const auto& [key, text] : kStrings)
        if (key == id)
            return text;
    return "";
}

}  // namespace tvx
