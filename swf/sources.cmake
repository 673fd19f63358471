# The SWF player core by room, each room built only on the rooms before it: one source list
# for the Windows build (CMakeLists.txt) and the native build (native/CMakeLists.txt), with
# paths relative to the repository root.
set(NB_SWF_SOURCES_base
    swf/base/Inflate.cpp
    swf/base/Types.cpp)
set(NB_SWF_SOURCES_image
    swf/image/Jpeg.cpp
    swf/image/PngGif.cpp)
set(NB_SWF_SOURCES_format
    swf/format/Movie.cpp
    swf/format/MovieFile.cpp
    swf/format/Reader.cpp
    swf/format/Shape.cpp
    swf/format/Text.cpp
    swf/format/TextMarkup.cpp)
set(NB_SWF_SOURCES_player
    swf/player/Bounds.cpp
    swf/player/Player.cpp)
set(NB_SWF_SOURCES_render
    swf/render/Raster.cpp
    swf/render/Renderer.cpp
    swf/render/StageView.cpp
    swf/render/Stroke.cpp)
set(NB_SWF_SOURCES_avm1
    swf/avm1/Actions.cpp
    swf/avm1/ArrayClass.cpp
    swf/avm1/Bitmap.cpp
    swf/avm1/BitmapCopy.cpp
    swf/avm1/BitmapMix.cpp
    swf/avm1/Calls.cpp
    swf/avm1/Collector.cpp
    swf/avm1/Color.cpp
    swf/avm1/Conversions.cpp
    swf/avm1/Drawing.cpp
    swf/avm1/Globals.cpp
    swf/avm1/Interpreter.cpp
    swf/avm1/MathObject.cpp
    swf/avm1/MovieClip.cpp
    swf/avm1/Native.cpp
    swf/avm1/NumberBoolean.cpp
    swf/avm1/ObjectClass.cpp
    swf/avm1/Objects.cpp
    swf/avm1/Scripts.cpp
    swf/avm1/Stage.cpp
    swf/avm1/StringClass.cpp
    swf/avm1/StyleSheet.cpp
    swf/avm1/TextField.cpp
    swf/avm1/Value.cpp
    swf/avm1/Variables.cpp)
set(NB_SWF_ROOMS base image format player render avm1)
set(NB_SWF_SOURCES)
foreach(room IN LISTS NB_SWF_ROOMS)
  list(APPEND NB_SWF_SOURCES ${NB_SWF_SOURCES_${room}})
endforeach()
# The rooms that decode, play and draw every frame of the band, its scripts included:
# optimised for speed in every build.
set(NB_SWF_HOT_ROOMS base image format player render avm1)
