// Stands in for the viewer's input capture until it is part of the program: without it
// the pointer is not sampled and the pending pointer position stays as it is.
namespace korvo {

[[gnu::weak]] int capturePointer() {
    return 1;
}

}  // namespace korvo
