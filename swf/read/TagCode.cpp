#include "swf/read/TagCode.h"

#include <utility>

namespace swf {

namespace {

constexpr std::pair<TagCode, std::string_view> kNames[] = {
    {TagCode::End, "End"},
    {TagCode::ShowFrame, "ShowFrame"},
    {TagCode::DefineShape, "DefineShape"},
    {TagCode::FreeCharacter, "FreeCharacter"},
    {TagCode::PlaceObject, "PlaceObject"},
    {TagCode::RemoveObject, "RemoveObject"},
    {TagCode::DefineBits, "DefineBits"},
    {TagCode::DefineButton, "DefineButton"},
    {TagCode::JPEGTables, "JPEGTables"},
    {TagCode::SetBackgroundColor, "SetBackgroundColor"},
    {TagCode::DefineFont, "DefineFont"},
    {TagCode::DefineText, "DefineText"},
    {TagCode::DoAction, "DoAction"},
    {TagCode::DefineFontInfo, "DefineFontInfo"},
    {TagCode::DefineSound, "DefineSound"},
    {TagCode::StartSound, "StartSound"},
    {TagCode::StopSound, "StopSound"},
    {TagCode::DefineButtonSound, "DefineButtonSound"},
    {TagCode::SoundStreamHead, "SoundStreamHead"},
    {TagCode::SoundStreamBlock, "SoundStreamBlock"},
    {TagCode::DefineBitsLossless, "DefineBitsLossless"},
    {TagCode::DefineBitsJPEG2, "DefineBitsJPEG2"},
    {TagCode::DefineShape2, "DefineShape2"},
    {TagCode::DefineButtonCxform, "DefineButtonCxform"},
    {TagCode::Protect, "Protect"},
    {TagCode::PathsArePostScript, "PathsArePostScript"},
    {TagCode::PlaceObject2, "PlaceObject2"},
    {TagCode::RemoveObject2, "RemoveObject2"},
    {TagCode::DefineShape3, "DefineShape3"},
    {TagCode::DefineText2, "DefineText2"},
    {TagCode::DefineButton2, "DefineButton2"},
    {TagCode::DefineBitsJPEG3, "DefineBitsJPEG3"},
    {TagCode::DefineBitsLossless2, "DefineBitsLossless2"},
    {TagCode::DefineEditText, "DefineEditText"},
    {TagCode::DefineVideo, "DefineVideo"},
    {TagCode::DefineSprite, "DefineSprite"},
    {TagCode::NameCharacter, "NameCharacter"},
    {TagCode::ProductInfo, "ProductInfo"},
    {TagCode::FrameLabel, "FrameLabel"},
    {TagCode::SoundStreamHead2, "SoundStreamHead2"},
    {TagCode::DefineMorphShape, "DefineMorphShape"},
    {TagCode::DefineFont2, "DefineFont2"},
    {TagCode::ExportAssets, "ExportAssets"},
    {TagCode::ImportAssets, "ImportAssets"},
    {TagCode::EnableDebugger, "EnableDebugger"},
    {TagCode::DoInitAction, "DoInitAction"},
    {TagCode::DefineVideoStream, "DefineVideoStream"},
    {TagCode::VideoFrame, "VideoFrame"},
    {TagCode::DefineFontInfo2, "DefineFontInfo2"},
    {TagCode::DebugID, "DebugID"},
    {TagCode::EnableDebugger2, "EnableDebugger2"},
    {TagCode::ScriptLimits, "ScriptLimits"},
    {TagCode::SetTabIndex, "SetTabIndex"},
    {TagCode::FileAttributes, "FileAttributes"},
    {TagCode::PlaceObject3, "PlaceObject3"},
    {TagCode::ImportAssets2, "ImportAssets2"},
    {TagCode::DoABCDefine, "DoABCDefine"},
    {TagCode::DefineFontAlignZones, "DefineFontAlignZones"},
    {TagCode::CSMTextSettings, "CSMTextSettings"},
    {TagCode::DefineFont3, "DefineFont3"},
    {TagCode::SymbolClass, "SymbolClass"},
    {TagCode::Metadata, "Metadata"},
    {TagCode::DefineScalingGrid, "DefineScalingGrid"},
    {TagCode::DoABC, "DoABC"},
    {TagCode::DefineShape4, "DefineShape4"},
    {TagCode::DefineMorphShape2, "DefineMorphShape2"},
    {TagCode::DefineSceneAndFrameLabelData, "DefineSceneAndFrameLabelData"},
    {TagCode::DefineBinaryData, "DefineBinaryData"},
    {TagCode::DefineFontName, "DefineFontName"},
    {TagCode::StartSound2, "StartSound2"},
    {TagCode::DefineBitsJPEG4, "DefineBitsJPEG4"},
    {TagCode::DefineFont4, "DefineFont4"},
    {TagCode::EnableTelemetry, "EnableTelemetry"},
};

} // namespace

std::string_view tagName(std::uint16_t code)
{
    for (const auto& [known, name] : kNames)
        if (known == TagCode(code))
            return name;
    return {};
}

} // namespace swf
