#pragma once
// A main window with its parallel port mapped to a file or FIFO in a temporary folder.
#include "Recorder.h"
#include "TempDir.h"
#include "Unit1/Form1.h"
#include "Vemix/Policy.h"

#include <QRadioButton>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

class FormTest : public ::testing::Test {
  protected:
    FormTest() : lpt_("VEMIX_LPT1", dir_.File("lpt1")), lpt2_("VEMIX_LPT2", dir_.File("lpt2")) {
        InstallProgramFonts();
        form_ = std::make_unique<TForm1>();
        form_->Now = [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7, 42)); };
        form_->FormShow();
    }
    ~FormTest() override {
        if (reader_ >= 0)
            ::close(reader_);
    }

    TForm1& form() { return *form_; }
    void Click(TRadioGroup* group, int index) {
        QTest::mouseClick(group->Button(index), Qt::LeftButton);
    }
    void Mode(int index) { Click(form().RadioGroup_Command, index); }
    void Port(int index) { Click(form().RadioGroup_Port, index); }
    // What reached LPT1 since the last look. The file collects every job, as paper does; the
    // test takes the paper off each time it looks.
    std::string Lpt1() const {
        const std::string paper = ReadFileBytes(dir_.File("lpt1"));
        if (!paper.empty())
            ::truncate(dir_.File("lpt1").c_str(), 0);
        return paper;
    }

    // Turns LPT1 into a FIFO whose read end the test holds, so every cycle's bytes collect.
    void Lpt1AsFifo() {
        ASSERT_EQ(::mkfifo(dir_.File("lpt1").c_str(), 0600), 0);
        reader_ = ::open(dir_.File("lpt1").c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader_, 0);
    }
    std::string DrainFifo() {
        std::string out;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(reader_, buf, sizeof buf)) > 0)
            out.append(buf, static_cast<size_t>(n));
        return out;
    }

    TempDir dir_;
    ScopedEnv lpt_;
    ScopedEnv lpt2_;
    MessageRecorder rec_;
    std::unique_ptr<TForm1> form_;
    int reader_ = -1;
};

// Collects what the program writes to standard error while the object lives.
class StderrCapture {
  public:
    explicit StderrCapture(std::string path) : path_(std::move(path)), saved_(::dup(2)) {
        int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~StderrCapture() { Stop(); }
    std::string Stop() {
        if (saved_ >= 0) {
            ::fflush(stderr);
            ::dup2(saved_, 2);
            ::close(saved_);
            saved_ = -1;
        }
        return ReadFileBytes(path_);
    }

  private:
    std::string path_;
    int saved_;
};

inline std::string B(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}
