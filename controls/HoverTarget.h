// What a window offers the bitmap controls that report the pointer to it.
#pragma once

class CHoverTarget {
public:
    virtual void OnSubTopicHover(int nLine) = 0;
    virtual void OnCategoryHover(int nCategory) = 0;
    virtual void OnWebLinkHover(int nWebLink) = 0;

protected:
    ~CHoverTarget() = default;
};
