#pragma once

/// Marks that the program itself is writing into panel controls, so that the change handlers
/// this sets off send nothing to the station. Raised for the life of a guard; a guard that
/// finds it already raised leaves it raised when it ends.
class Updating {
  public:
    bool raised() const noexcept { return raised_; }

    class Guard {
      public:
        explicit Guard(Updating& flag) noexcept : flag_(flag), wasRaised_(flag.raised_) {
            flag_.raised_ = true;
        }
        ~Guard() { flag_.raised_ = wasRaised_; }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

      private:
        Updating& flag_;
        bool wasRaised_;
    };

  private:
    bool raised_ = false;
};
